#pragma once
// The quit confirmation. OK pressed while the viewer is busy greys out Cancel and waits,
// polling every second, until the viewer is idle, then confirms by itself.
#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;
class QTimer;

namespace korvane {

class TfrmClose : public QDialog {
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
