#pragma once
// The new-version notice. Its OK button is hidden: the notice is dismissed with the title
// bar's close box and the caller ignores the result.
#include "ui/dialog_base.h"

class QTimer;

namespace korvane {

class TfrmUpdate : public KorvaneDialog {
    Q_OBJECT
public:
    explicit TfrmUpdate(QWidget* parent = nullptr);
    QLabel* lbInformation = nullptr;
    QPushButton* btnOk = nullptr;   // hidden
    QTimer* tmDelay = nullptr;      // 1000 ms, off
};

} // namespace korvane
