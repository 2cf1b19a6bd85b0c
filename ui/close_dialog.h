#pragma once
// The quit confirmation. OK pressed while the viewer is busy greys out Cancel and waits,
// polling every second, until the viewer is idle, then confirms by itself.
#include "ui/dialog_base.h"

class QTimer;

namespace korvane {

class BusyState;

class TfrmClose : public KorvaneDialog {
    Q_OBJECT
public:
    explicit TfrmClose(QWidget* parent = nullptr);

    // The viewer's busy state the wait reads; without one (a dialog on its own) the viewer
    // counts as idle.
    void SetBusyState(const BusyState* busy) { busy_ = busy; }

    QLabel* lbInformation = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QTimer* tmDelay = nullptr;

    void btnOkClick();
    void tmDelayTimer();

private:
    bool Idle() const;

    const BusyState* busy_ = nullptr;
};

} // namespace korvane
