// Setup > Backup: the destination dialog loop, the checks, the copy job and the verdict. The
// destination dialog comes back after every failure, after a refused replacement and after a
// stop; the command ends when the user cancels it or a backup has completed.
#include "datamgmt/data_management.h"

#include "core/busy_state.h"
#include "datamgmt/data_management_host.h"
#include "datamgmt/data_management_ui.h"
#include "datamgmt/datamgmt_log.h"
#include "datamgmt/listed_files.h"
#include "datamgmt/posix_files.h"

#include <QDateTime>

namespace korvane {

void DataManagement::RunBackup()
{
    host_.SetSystemTimerEnabled(false);
    bool okEnabled = destination_.OkEnabled();
    const CardRecordings card = host_.Catalogue();
    destination_.sourceFolder = card.folder;
    const QStringList names = card.AllNames();
    const QString title = QStringLiteral("Korvane");

    for (;;) {
        if (ui_.ShowBackupDialog(destination_, okEnabled) != kModalOk)
            return;
        okEnabled = true;
        const QString destination = destination_.destinationFolder;

        const DestinationReport check = CheckDestination(destination, card.TotalBytes(), card.folder);
        if (check.result == DestinationCheck::NotAFolder || check.result == DestinationCheck::InsideCard) {
            ui_.ShowMessageBox(title, QStringLiteral("Error1"));
            continue;
        }
        if (check.result == DestinationCheck::SpaceUnknown) {
            ui_.ShowMessageBox(title, QStringLiteral("Error2"));
            continue;
        }
        if (check.result == DestinationCheck::TooSmall) {
            ui_.ShowInformation(ui_.Message(QStringLiteral("CapacityInsufficient")));
            continue;
        }

        backupFolder_ = DatedFolderPath(destination, QDateTime::currentDateTime());
        backupSource_ = card.folder;
        QString error;
        const DatedFolderState state = PrepareDatedFolder(backupFolder_, names, &error);
        if (state == DatedFolderState::ExistsWithListed
            && !ui_.AskConfirmation2(ui_.Message(QStringLiteral("FolderAlreadyExists")),
                                     ui_.Message(QStringLiteral("CopyReplace"))))
            continue;
        if (state == DatedFolderState::CannotCreate) {
            ui_.ShowMessageBox(title, ui_.Message(QStringLiteral("SubdirectoryNotCreated")));
            continue;
        }

        worker_.SetCopyInput(backupSource_, backupFolder_, names);
        if (!worker_.StartWorkerJob(JobWorker::kCopyMode))
            continue;
        host_.Busy().Set(BusyReason::JobRunning);
        qCInfo(lcDataMgmt) << "backup of" << names.size() << "recordings from" << backupSource_ << "to" << backupFolder_;

        ProcessView view;
        view.function = ui_.Message(QStringLiteral("SavingFile"));
        view.copyVisible = true;
        if (RunProgress(view) == kModalNo)
            continue;

        if (!posixfs::IsFolder(backupFolder_)) {
            ui_.ShowInformation(ui_.Message(QStringLiteral("NoExternalDevice")));
            continue;
        }
        const JobOutcome outcome = worker_.LastOutcome();
        const QStringList missing = MissingFrom(backupFolder_, outcome.names, outcome.sourceSizes);
        if (missing.isEmpty() && outcome.errors.empty()) {
            qCInfo(lcDataMgmt) << "backup completed:" << backupFolder_;
            ui_.ShowInformation(ui_.Message(QStringLiteral("BackupCompleted")));
            return;
        }
        qCWarning(lcDataMgmt) << "backup not completed:" << missing.size() << "recordings missing or incomplete in" << backupFolder_;
        ShowVerdict(ui_.Message(QStringLiteral("BackupNotCompleted")), outcome);
    }
}

} // namespace korvane
