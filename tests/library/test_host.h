#pragma once
// A main window stand-in for the library tests: records what the library asks of it.
#include "core/busy_state.h"
#include "library/library_host.h"
#include "platform/message_box.h"

#include <QList>
#include <QStringList>
#include <QWidget>

namespace korvane::test {

struct RecordingMessages : MessageSink {
    QStringList texts, captions;
    int Show(const QString& caption, const QString& text, BoxIcon, BoxButtons) override
    {
        captions << caption;
        texts << text;
        return kResultOk;
    }
};

class TestHost : public virtual LibraryHost {
public:
    TestHost() { window.setWindowTitle("Korvane"); }

    QWidget* MainWindow() override { return &window; }
    BusyState& Busy() override { return busy; }
    void ShowGroupSelectors(int group) override { selectors << group; }
    void SetDataMenusEnabled(bool e) override { menus << e; }
    void ShowInformation2(const QString& first, const QString& second) override { notices << first + "|" + second; }

    QWidget window;
    BusyState busy;
    QList<bool> menus;
    QList<int> selectors;
    QStringList notices;
};

} // namespace korvane::test
