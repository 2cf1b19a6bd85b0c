#pragma once
// The background worker: one thread that runs exactly one copy or delete job, or one task given
// by a higher layer (an export), per hand-over and then waits for the next. The main thread sets the job's inputs and `workerMode`, hands the
// job over with StartWorkerJob, watches the busy flags and the counters, and is told on its own
// thread (a queued call) when the job has ended.
#include "core/expected.h"
#include "datamgmt/job_progress.h"

#include <QObject>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace korvane {

// Why a hand-over was refused.
enum class HandOverRefusal {
    JobRunning,   // a job handed over earlier has not ended yet
    Stopped,      // the worker has been stopped for good (shut-down)
};

class JobWorker : public QObject {
    Q_OBJECT
public:
    static constexpr int kCopyMode = 0;
    static constexpr int kDeleteMode = 1;
    static constexpr int kTaskMode = 2;
    // A task runs on the worker thread and answers whether it ended on a stop request; it
    // watches its own stop request (the worker's is set too on shut-down).
    using Task = std::function<bool(const std::atomic<bool>& stopRequested)>;

    explicit JobWorker(QObject* parent = nullptr);
    // Asks a running job to stop and waits for the thread, so no copy is left half-written.
    ~JobWorker() override;

    // Inputs of the next job; ignored while a job runs.
    void SetCopyInput(const QString& backupSource, const QString& backupFolder, const QStringList& names);
    void SetDeleteInput(const QString& recordingFolder, const QStringList& names);
    void SetTaskInput(Task task);

    // The hand-over: sets the matching busy flag, clears the stop request and the counters and
    // wakes the thread. Refused (and logged) while a job runs or after the worker has stopped,
    // so no hand-over is ever lost silently.
    Expected<void, HandOverRefusal> StartWorkerJob(int mode);

    int workerMode() const { return workerMode_; }
    bool copyBusy() const { return copyBusy_.load(); }
    bool deleteBusy() const { return deleteBusy_.load(); }
    bool taskBusy() const { return taskBusy_.load(); }
    bool Busy() const { return copyBusy() || deleteBusy() || taskBusy(); }
    // The counters of the running or last job, and its stop request.
    JobProgress& Progress() { return progress_; }
    void RequestStop() { progress_.stopRequested = true; }
    // The outcome of the last job that ended.
    JobOutcome LastOutcome() const;
    // Stops a running job, ends the thread and waits for it; later hand-overs are refused.
    void StopAndJoin();

signals:
    // On the thread that owns the worker, after the busy flag has returned to false.
    void jobFinished(int mode, bool stopped);

private:
    void ThreadMain();
    std::atomic<bool>& BusyFlag(int mode);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool pending_ = false;
    bool quit_ = false;
    int workerMode_ = kCopyMode;
    std::atomic<bool> copyBusy_{false};
    std::atomic<bool> deleteBusy_{false};
    std::atomic<bool> taskBusy_{false};
    Task task_;
    QString source_, target_, folder_;
    QStringList copyNames_, deleteNames_;
    JobOutcome outcome_;
    JobProgress progress_;
    std::thread thread_;
};

} // namespace korvane
