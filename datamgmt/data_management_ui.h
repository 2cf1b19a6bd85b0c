#pragma once
// What the backup and clean commands need from the dialogs: each method shows one modal
// dialog centred on the main window and returns its modal result, and Message looks a
// main-window message up by its name. The widgets implement it; tests script it.
#include <QString>

namespace korvane {

struct BackupDestination;

// Modal results the commands compare.
inline constexpr int kModalOk = 1;
inline constexpr int kModalCancel = 2;
inline constexpr int kModalNo = 7;

// What the progress dialog shows.
struct ProcessView {
    QString function;          // lbFunction: SavingFile or FileDeleting
    bool copyVisible = true;   // lbCopy is shown during a backup, hidden during a clean
    QString copyText;          // lbCopy: "%d/%d", empty before the first poll
    int done = 0;              // the fill is done / total of the white bar's width (0 when total is 0)
    int total = 0;
};

class DataManagementUi {
public:
    virtual ~DataManagementUi() = default;

    // The text of a message of the main window's catalogue by its name: "CheckDelete",
    // "FileDeleting", "NoExternalDevice", "CleanupNotCompleted", "CleanupCompleted",
    // "CapacityInsufficient", "FolderAlreadyExists", "CopyReplace", "SubdirectoryNotCreated",
    // "BackupNotCompleted", "BackupCompleted", "SavingFile".
    virtual QString Message(const QString& name) = 0;

    // TfrmBackup. Shows destination.Label() in lbDestFolderName; btnOk starts enabled as
    // `okEnabled` says. btnFolder runs the folder chooser (QFileDialog::getExistingDirectory
    // from destination.destinationFolder), passes the choice to ChooseDestination(destination,
    // chosen), refreshes the label and enables btnOk. Returns kModalOk or kModalCancel.
    virtual int ShowBackupDialog(BackupDestination& destination, bool okEnabled) = 0;

    // TfrmClean with lbFolderName; btnOk enabled as `okEnabled` says.
    virtual int ShowCleanDialog(const QString& folderName, bool okEnabled) = 0;

    // TfrmCheck with lbInformation := text; true on OK.
    virtual bool AskConfirmation(const QString& text) = 0;
    // TfrmCheck1 with two lines; true on OK.
    virtual bool AskConfirmation2(const QString& first, const QString& second) = 0;
    // TfrmInformation with lbInformation := text.
    virtual void ShowInformation(const QString& text) = 0;
    // TfrmInformation1 with two lines.
    virtual void ShowInformation2(const QString& first, const QString& second) = 0;
    // A plain message box over the main window with an OK button ("Error1", "Error2",
    // SubdirectoryNotCreated).
    virtual void ShowMessageBox(const QString& title, const QString& text) = 0;

    // TfrmProcess, shown modally with `view`. Returns kModalOk when EndProcess closed it and
    // kModalNo when the user pressed btnStop (or Esc). While it is up the caller's poll timer
    // calls UpdateProcess, and the job's end calls UpdateProcess and EndProcess at once.
    virtual int ShowProcess(const ProcessView& view) = 0;
    virtual void UpdateProcess(const ProcessView& view) = 0;
    // Clicks btnEnd: the dialog closes with kModalOk.
    virtual void EndProcess() = 0;
};

// Width of the progress fill inside a bar of `barWidth` pixels, truncated toward zero.
inline int ProcessFillWidth(int done, int total, int barWidth)
{
    return total == 0 ? 0 : int(double(done) / double(total) * barWidth);
}

} // namespace korvane
