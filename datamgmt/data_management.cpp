// The parts the Backup and Clean commands share: the menu and keyboard entries, the progress
// dialog with its poll and its end, and the waits on the worker.
#include "datamgmt/data_management.h"

#include "core/busy_state.h"
#include "datamgmt/data_management_host.h"
#include "datamgmt/data_management_ui.h"
#include "datamgmt/datamgmt_log.h"

#include <QEventLoop>

namespace korvane {

DataManagement::DataManagement(DataManagementHost& host, DataManagementUi& ui, QObject* parent)
    : QObject(parent), host_(host), ui_(ui)
{
    tmCleanData_.setSingleShot(true);
    tmCleanData_.setInterval(100);
    connect(&tmCleanData_, &QTimer::timeout, this, &DataManagement::tmCleanDataTimer);
    tmProcess_.setInterval(1000);
    // A job that ran to its end makes the viewer idle again 500 ms later; a stopped one does not.
    connect(&worker_, &JobWorker::jobFinished, this, [this](int, bool stopped) {
        if (!stopped)
            host_.Busy().ClearAfterSettling(BusyReason::JobRunning);
    });
}

DataManagement::~DataManagement() = default;

template <typename Run>
void DataManagement::RunCommand(Run run)
{
    if (running_)
        return;
    running_ = true;
    host_.SetSystemTimerEnabled(false);
    host_.StopPlayback();
    host_.Busy().Set(BusyReason::DataCommand);
    (this->*run)();
    host_.Busy().Clear(BusyReason::JobRunning);
    host_.Busy().Clear(BusyReason::DataCommand);
    running_ = false;
}

void DataManagement::miBackupClick()
{
    RunCommand(&DataManagement::RunBackup);
}

void DataManagement::miCleanClick()
{
    RunCommand(&DataManagement::RunClean);
}

void DataManagement::tmCleanDataTimer()
{
    tmCleanData_.stop();
    if (host_.Busy().DialogUp())
        return;
    RunCommand(&DataManagement::RunClean);
}

void DataManagement::ShowCounters(ProcessView& view)
{
    const JobProgress& p = worker_.Progress();
    view.done = p.done.load();
    view.total = p.total.load();
    view.copyText = QStringLiteral("%1/%2").arg(view.done).arg(view.total);
    ui_.UpdateProcess(view);
}

void DataManagement::PollProgress(ProcessView& view)
{
    tmProcess_.stop();
    ShowCounters(view);
    if (worker_.Busy())
        tmProcess_.start();
}

int DataManagement::RunProgress(ProcessView view)
{
    const QMetaObject::Connection tick =
        connect(&tmProcess_, &QTimer::timeout, this, [this, &view] { PollProgress(view); });
    // The job's end closes the dialog at once, showing the counters as the job left them. The
    // end is queued to this thread, so it cannot arrive before the dialog's loop runs.
    const QMetaObject::Connection end = connect(&worker_, &JobWorker::jobFinished, this, [this, &view] {
        tmProcess_.stop();
        ShowCounters(view);
        ui_.EndProcess();
    });
    tmProcess_.start();
    const int result = ui_.ShowProcess(view);
    tmProcess_.stop();
    disconnect(tick);
    disconnect(end);
    if (result == kModalNo)
        worker_.RequestStop();  // btnStop: the job ends after its current block
    WaitForWorker();
    return result;
}

void DataManagement::WaitForWorker()
{
    if (!worker_.Busy())
        return;
    QEventLoop loop;
    connect(&worker_, &JobWorker::jobFinished, &loop, &QEventLoop::quit);
    if (worker_.Busy())
        loop.exec();
}

void DataManagement::Wait(int ms)
{
    // A precise timer: a coarse one may end the pause up to 5 % early.
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

void DataManagement::ShowVerdict(const QString& message, const JobOutcome& outcome)
{
    const QString detail = SummarizeErrors(outcome.errors);
    if (detail.isEmpty())
        ui_.ShowInformation(message);
    else
        ui_.ShowInformation2(message, detail);
}

} // namespace korvane
