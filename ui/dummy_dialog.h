#pragma once
// The self-closing dialog: shown modally, it closes itself with OK about 10 ms later.
// dummyShowing is set while it is up so the keyboard hook does not start it again.
#include "ui/dialog_base.h"

class QTimer;

namespace korvane {

class TfrmDummy : public QDialog {
    Q_OBJECT
public:
    explicit TfrmDummy(QWidget* parent = nullptr);

    bool dummyShowing = false;
    QPushButton* btnOk = nullptr;
    QTimer* tmClose = nullptr;   // 10 ms, off

protected:
    void showEvent(QShowEvent* event) override;

private:
    void tmCloseTimer();
};

} // namespace korvane
