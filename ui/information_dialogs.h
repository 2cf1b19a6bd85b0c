#pragma once
// The two information dialogs: one line (TfrmInformation, the verdicts of backup and clean) and
// two lines (TfrmInformation1, the notice about more than 240 recordings). Their callers set
// the texts before each showing.
#include "ui/dialog_base.h"

namespace korvane {

class TfrmInformation : public KorvaneDialog {
    Q_OBJECT
public:
    explicit TfrmInformation(QWidget* parent = nullptr);
    QLabel* lbInformation = nullptr;
    QPushButton* btnOk = nullptr;
};

class TfrmInformation1 : public KorvaneDialog {
    Q_OBJECT
public:
    explicit TfrmInformation1(QWidget* parent = nullptr);
    QLabel* lbInformation1 = nullptr;
    QLabel* lbInformation2 = nullptr;
    QPushButton* btnOk = nullptr;
};

} // namespace korvane
