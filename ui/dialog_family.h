#pragma once
// The eleven modal dialogs of the viewer, created once at start-up right after the main window
// and kept until the program ends, and the helpers through which the viewer shows its messages.
// Every showing is centred on the main window (ShowCentered) and modal. Before the dialogs
// exist (a part tested on its own) the helpers fall back on plain message boxes.
#include <QString>

class QWidget;

namespace korvane {

class TfrmAbout;
class TfrmBackup;
class TfrmCheck;
class TfrmCheck1;
class TfrmClean;
class TfrmClose;
class TfrmDummy;
class TfrmInformation;
class TfrmInformation1;
class TfrmProcess;
class TfrmUpdate;

struct DialogFamily {
    QWidget* mainWindow = nullptr;
    TfrmAbout* frmAbout = nullptr;
    TfrmBackup* frmBackup = nullptr;
    TfrmCheck* frmCheck = nullptr;
    TfrmCheck1* frmCheck1 = nullptr;
    TfrmClean* frmClean = nullptr;
    TfrmClose* frmClose = nullptr;
    TfrmDummy* frmDummy = nullptr;
    TfrmInformation* frmInformation = nullptr;
    TfrmInformation1* frmInformation1 = nullptr;
    TfrmProcess* frmProcess = nullptr;
    TfrmUpdate* frmUpdate = nullptr;
};

// Creates every dialog in order (About, Backup, Check, Check1, Clean, Close, Dummy,
// Information, Information1, Process, Update), owned by `mainWindow`, each loading its texts
// from the catalogue as it is created. Call after the catalogue is set.
const DialogFamily& CreateDialogs(QWidget* mainWindow);
// The dialogs of this process (all null before CreateDialogs).
const DialogFamily& Dialogs();

// TfrmInformation with one line; the result is ignored.
void ShowInformation(const QString& text);
// TfrmInformation1 with two lines.
void ShowInformation2(const QString& first, const QString& second);
// TfrmCheck with one line; true when confirmed with OK.
bool AskConfirmation(const QString& text);
// TfrmCheck1 with two lines; true when confirmed with OK.
// `title` replaces the dialog's own title (確認, the same in every language) for this question.
bool AskConfirmation2(const QString& first, const QString& second, const QString& title = QString());

} // namespace korvane
