// Setup > CleanApp: the clean dialog and its confirmation, the delete job, the reload of the
// emptied folder and the verdict, taken against the recordings as they were listed before the
// reload. The folder itself goes only when nothing else is left in it.
#include "datamgmt/data_management.h"

#include "core/busy_state.h"
#include "datamgmt/data_management_host.h"
#include "datamgmt/data_management_ui.h"
#include "datamgmt/datamgmt_log.h"
#include "datamgmt/listed_files.h"
#include "datamgmt/posix_files.h"

namespace korvane {
namespace {

// The text after the last separator; the whole path when it has none.
QString FolderNameLabel(const QString& folder)
{
    const qsizetype slash = folder.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? folder : folder.mid(slash + 1);
}

} // namespace

void DataManagement::RunClean()
{
    host_.SetSystemTimerEnabled(false);
    const QString folder = host_.Catalogue().folder;
    const bool okEnabled = posixfs::IsFolder(folder);
    const QString folderName = FolderNameLabel(folder);

    for (;;) {
        if (ui_.ShowCleanDialog(folderName, okEnabled) != kModalOk)
            return;
        if (!ui_.AskConfirmation(ui_.Message(QStringLiteral("CheckDelete"))))
            continue;

        // The lists as they stand now, before the viewer is reset, are what the job deletes and
        // what the verdict checks.
        const QStringList names = host_.Catalogue().AllNames();

        host_.ShowPositionMap();
        host_.KillStaleEngines();
        // The engines let go of their files. The window stays live meanwhile, so the viewer is
        // marked busy: a close request waits instead of ending the program mid-command.
        host_.Busy().Set(BusyReason::JobRunning);
        Wait(cleanSettleMs_);
        host_.ResetViewerAll();

        worker_.SetDeleteInput(folder, names);
        if (!worker_.StartWorkerJob(JobWorker::kDeleteMode))
            continue;
        host_.Busy().Set(BusyReason::JobRunning);
        qCInfo(lcDataMgmt) << "clean of" << names.size() << "recordings in" << folder;

        ProcessView view;
        view.function = ui_.Message(QStringLiteral("FileDeleting"));
        view.copyVisible = false;
        const int result = RunProgress(view);

        host_.ReloadFolder(folder);
        if (result == kModalNo)
            continue;
        if (!posixfs::IsFolder(folder)) {
            ui_.ShowInformation(ui_.Message(QStringLiteral("NoExternalDevice")));
            continue;
        }
        const JobOutcome outcome = worker_.LastOutcome();
        if (AnyListedFileIn(folder, names)) {
            qCWarning(lcDataMgmt) << "clean not completed: recordings remain in" << folder;
            ShowVerdict(ui_.Message(QStringLiteral("CleanupNotCompleted")), outcome);
            continue;
        }
        if (const int e = posixfs::RemoveEmptyFolder(folder))
            qCInfo(lcDataMgmt) << "folder kept:" << folder << posixfs::ErrorText(e);
        host_.SetDataMenusEnabled(false);
        ui_.ShowInformation(ui_.Message(QStringLiteral("CleanupCompleted")));
        return;
    }
}

} // namespace korvane
