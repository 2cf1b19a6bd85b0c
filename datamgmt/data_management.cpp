// The parts the Backup and Clean commands share: the menu and keyboard entries, the progress
// dialog with its poll, and the waits on the worker.
#include "datamgmt/data_management.h"

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
            host_.StartProcessFinish();
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
    host_.SetCloseBusy(true);
    (this->*run)();
    host_.SetViewerIdle(true);
    host_.SetCloseBusy(false);
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
    if (host_.CloseBusy())
        return;
    RunCommand(&DataManagement::RunClean);
}

void DataManagement::PollProgress(ProcessView& view)
{
    tmProcess_.stop();
    const JobProgress& p = worker_.Progress();
    view.done = p.done.load();
    view.total = p.total.load();
    view.copyText = QStringLiteral("%1/%2").arg(view.done).arg(view.total);
    ui_.UpdateProcess(view);
    if (host_.ViewerIdle())
        ui_.EndProcess();
    else
        tmProcess_.start();
}

int DataManagement::RunProgress(ProcessView view)
{
    const QMetaObject::Connection tick =
        connect(&tmProcess_, &QTimer::timeout, this, [this, &view] { PollProgress(view); });
    tmProcess_.start();
    const int result = ui_.ShowProcess(view);
    tmProcess_.stop();
    disconnect(tick);
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
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
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
