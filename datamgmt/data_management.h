#pragma once
// The Backup and Clean commands of the Setup menu on the main thread: the dialog loops, the
// hand-over of the copy and delete jobs to the worker, the progress polling and the verdicts.
// Dialogs come through DataManagementUi, the rest of the viewer through DataManagementHost.
#include "datamgmt/destination.h"
#include "datamgmt/job_worker.h"

#include <QObject>
#include <QTimer>

namespace korvane {

class DataManagementHost;
class DataManagementUi;
struct ProcessView;

class DataManagement : public QObject {
    Q_OBJECT
public:
    DataManagement(DataManagementHost& host, DataManagementUi& ui, QObject* parent = nullptr);
    ~DataManagement() override;

    // Setup > Backup (Ctrl+B).
    void miBackupClick();
    // Setup > CleanApp from the menu.
    void miCleanClick();
    // Ctrl+C from the keyboard table: starts the 100 ms one-shot tmCleanData.
    void StartCleanDataTimer() { tmCleanData_.start(); }
    // The tick of tmCleanData, for a shell that keeps that timer itself: nothing while
    // closeBusy is set, else the clean command.
    void CleanFromKeyboard() { tmCleanDataTimer(); }

    // The dialog loops; each returns when the user cancels or the job has completed.
    void RunBackup();
    void RunClean();

    // True while a command's dialogs or job are in progress (a second command is ignored).
    bool Running() const { return running_; }
    JobWorker& Worker() { return worker_; }
    BackupDestination& Destination() { return destination_; }
    // The dated folder of the last backup started.
    QString BackupFolder() const { return backupFolder_; }
    // Pause after the playback engines are ended before a clean (2000 ms).
    void SetCleanSettleMs(int ms) { cleanSettleMs_ = ms; }

private:
    void tmCleanDataTimer();
    template <typename Run> void RunCommand(Run run);
    // Shows the progress dialog, polls the job's counters every 1000 ms and closes the dialog
    // when the job ends; returns the dialog's modal result. After a stop it waits for the
    // worker to return.
    int RunProgress(ProcessView view);
    void PollProgress(ProcessView& view);
    void ShowCounters(ProcessView& view);
    void WaitForWorker();
    void Wait(int ms);
    void ShowVerdict(const QString& message, const JobOutcome& outcome);

    DataManagementHost& host_;
    DataManagementUi& ui_;
    JobWorker worker_;
    BackupDestination destination_;
    QString backupSource_, backupFolder_;
    QTimer tmCleanData_;
    QTimer tmProcess_;
    bool running_ = false;
    int cleanSettleMs_ = 2000;
};

} // namespace korvane
