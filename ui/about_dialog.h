#pragma once
// The About dialog: the product name and version, and a hidden key area in the top-left corner
// whose fourth quick click shows or hides the main window's diagnostics panel.
#include <QPointer>
#include <functional>

#include "ui/click_counter.h"
#include "ui/dialog_base.h"

class QTimer;

namespace korvane {

// A transparent area that reports presses.
class ClickArea : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent*) override { emit clicked(); }
};

class TfrmAbout : public KorvaneDialog {
    Q_OBJECT
public:
    // `clock` gives the milliseconds of a steady clock the key clicks are timed by; without
    // one the dialog times them from its own creation. Tests pass their own.
    explicit TfrmAbout(QWidget* parent = nullptr, std::function<qint64()> clock = {});

    QLabel* lbName = nullptr;
    QLabel* lbVersion = nullptr;
    ClickArea* lbKey = nullptr;
    QPushButton* btnOk = nullptr;
    QTimer* tmCounter = nullptr;   // 5000 ms, runs from creation

    // The panel the key area toggles (the main window's diagnostics panel), when it exists.
    QPointer<QWidget> plSpecial;

    void lbKeyClick();
    int clickCount() const { return counter_.clickCount(); }

signals:
    void specialToggled();

private:
    void LoadTexts();
    std::function<qint64()> clock_;
    KeyClickCounter counter_;
};

} // namespace korvane
