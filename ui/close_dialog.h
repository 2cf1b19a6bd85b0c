#pragma once
// The quit confirmation. OK pressed while the viewer is busy greys out Cancel and waits,
// polling every second, until the viewer is idle, then confirms by itself.
#include <functional>

#include "ui/dialog_base.h"

class QTimer;

namespace korvane {

class TfrmClose : public KorvaneDialog {
    Q_OBJECT
public:
    explicit TfrmClose(QWidget* parent = nullptr);

    std::function<bool()> isViewerIdle;   // reads the viewer's idle flag

    QLabel* lbInformation = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
    QTimer* tmDelay = nullptr;

    void btnOkClick();
    void tmDelayTimer();

private:
    bool Idle() const { return !isViewerIdle || isViewerIdle(); }
};

} // namespace korvane
