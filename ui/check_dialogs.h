#pragma once
// The two confirmation dialogs: one line (TfrmCheck, the clean's "delete everything?") and two
// lines (TfrmCheck1, the backup's "replace the folder's files?"). OK gives 1, Cancel 2.
// The one-line question deletes the card when answered OK, so it opens with Cancel focused and
// default: Enter alone never deletes.
#include "ui/dialog_base.h"

namespace korvane {

class TfrmCheck : public KorvaneDialog {
    Q_OBJECT
public:
    explicit TfrmCheck(QWidget* parent = nullptr);
    QLabel* lbInformation = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    void showEvent(QShowEvent* event) override;
};

class TfrmCheck1 : public KorvaneDialog {
    Q_OBJECT
public:
    explicit TfrmCheck1(QWidget* parent = nullptr);
    QLabel* lbInformation1 = nullptr;
    QLabel* lbInformation2 = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
};

} // namespace korvane
