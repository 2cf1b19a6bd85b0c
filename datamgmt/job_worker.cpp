#include "datamgmt/job_worker.h"

#include "datamgmt/copy_job.h"
#include "datamgmt/datamgmt_log.h"
#include "datamgmt/delete_job.h"

#include <QMetaObject>
#include <utility>

namespace korvane {

JobWorker::JobWorker(QObject* parent)
    : QObject(parent)
{
    thread_ = std::thread([this] { ThreadMain(); });
}

JobWorker::~JobWorker()
{
    StopAndJoin();
}

void JobWorker::StopAndJoin()
{
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
        progress_.stopRequested = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void JobWorker::SetCopyInput(const QString& backupSource, const QString& backupFolder, const QStringList& names)
{
    if (Busy())
        return;
    std::lock_guard lock(mutex_);
    source_ = backupSource;
    target_ = backupFolder;
    copyNames_ = names;
}

void JobWorker::SetDeleteInput(const QString& recordingFolder, const QStringList& names)
{
    if (Busy())
        return;
    std::lock_guard lock(mutex_);
    folder_ = recordingFolder;
    deleteNames_ = names;
}

void JobWorker::SetTaskInput(Task task)
{
    if (Busy())
        return;
    std::lock_guard lock(mutex_);
    task_ = std::move(task);
}

std::atomic<bool>& JobWorker::BusyFlag(int mode)
{
    return mode == kCopyMode ? copyBusy_ : mode == kDeleteMode ? deleteBusy_ : taskBusy_;
}

Expected<void, HandOverRefusal> JobWorker::StartWorkerJob(int mode)
{
    {
        std::lock_guard lock(mutex_);
        if (quit_) {
            qCWarning(lcDataMgmt) << "job hand-over refused: the worker has stopped";
            return Unexpected(HandOverRefusal::Stopped);
        }
        if (pending_ || Busy()) {
            qCWarning(lcDataMgmt) << "job hand-over refused: the worker is busy";
            return Unexpected(HandOverRefusal::JobRunning);
        }
        if (mode == kTaskMode && !task_) {
            qCWarning(lcDataMgmt) << "job hand-over refused: no task given";
            return Unexpected(HandOverRefusal::JobRunning);
        }
        BusyFlag(mode) = true;
        progress_.Reset();
        workerMode_ = mode;
        pending_ = true;
    }
    wake_.notify_one();
    return {};
}

JobOutcome JobWorker::LastOutcome() const
{
    std::lock_guard lock(mutex_);
    return outcome_;
}

void JobWorker::ThreadMain()
{
    for (;;) {
        int mode;
        QString source, target, folder;
        QStringList names;
        Task task;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return pending_ || quit_; });
            if (quit_) {
                copyBusy_ = false;
                deleteBusy_ = false;
                taskBusy_ = false;
                return;
            }
            pending_ = false;
            mode = workerMode_;
            source = source_;
            target = target_;
            folder = folder_;
            names = mode == kCopyMode ? copyNames_ : deleteNames_;
            if (mode == kTaskMode)
                task = std::exchange(task_, Task());
        }
        bool stopped = false;
        if (mode == kTaskMode) {
            // The task's results travel with the task; the copy and delete outcome stays as it was.
            stopped = task(progress_.stopRequested);
            std::lock_guard lock(mutex_);
            taskBusy_ = false;
        } else {
            JobOutcome outcome = mode == kCopyMode ? CopyRecordings(source, target, names, progress_)
                                                   : DeleteRecordings(folder, names, progress_);
            stopped = outcome.stopped;
            std::lock_guard lock(mutex_);
            outcome_ = std::move(outcome);
            BusyFlag(mode) = false;
        }
        QMetaObject::invokeMethod(this, [this, mode, stopped] { emit jobFinished(mode, stopped); },
                                  Qt::QueuedConnection);
    }
}

} // namespace korvane
