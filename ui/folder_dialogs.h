#pragma once
// The backup destination dialog and the clean dialog: a message, a folder name on a white
// panel, OK and Cancel. The backup and clean commands drive them; the dialogs only hold what
// they show and what the backup remembers between runs.
#include "ui/dialog_base.h"

namespace korvane {

class TfrmBackup : public KorvaneDialog {
    Q_OBJECT
public:
    explicit TfrmBackup(QWidget* parent = nullptr);

    QString destinationFolder;   // empty at start-up; kept until the program ends
    QString sourceFolder;

    QLabel* lbInformation = nullptr;
    QLabel* lbSourceFolder = nullptr;       // hidden
    QLabel* lbSourceFolderName = nullptr;   // hidden
    QLabel* lbDestFolder = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* lbDestFolderName = nullptr;
    QPushButton* btnFolder = nullptr;       // picks the destination
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
};

class TfrmClean : public KorvaneDialog {
    Q_OBJECT
public:
    explicit TfrmClean(QWidget* parent = nullptr);

    QLabel* lbInformation = nullptr;
    QLabel* lbFolder = nullptr;
    QFrame* Panel1 = nullptr;
    QLabel* lbFolderName = nullptr;
    QPushButton* btnOk = nullptr;
    QPushButton* btnCancel = nullptr;
};

// English texts: the label moves so that its right edge touches the panel's left edge.
void AlignLabelToPanel(QLabel* label, const QWidget* panel);

} // namespace korvane
