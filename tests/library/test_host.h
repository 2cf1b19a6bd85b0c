#pragma once
// A main window stand-in for the library tests: records what the library asks of it.
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
    bool ViewerIdle() const override { return idle; }
    void SetViewerIdle(bool v) override { idle = v; }
    void StartProcessFinish() override { ++processFinish; }
    void ShowGroupSelectors(int group) override { selectors << group; }
    void SetDataMenusEnabled(bool e) override { menus << e; }
    void ShowInformation2(const QString& first, const QString& second) override { notices << first + "|" + second; }

    QWidget window;
    bool idle = true;
    int processFinish = 0;
    QList<bool> menus;
    QList<int> selectors;
    QStringList notices;
};

} // namespace korvane::test
