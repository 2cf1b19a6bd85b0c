// Backup benchmark.
//   bench_backup copy CARD DEST_PARENT      copy job throughput over the card's recordings
//   bench_backup stall CARD DEST_PARENT     the whole Backup command with the real worker and a
//                                           1 ms timer on the main thread: the longest gap, and
//                                           how long after the job's end the dialog closed
//   bench_backup idle SECONDS               the same timer with nothing else running, for scale
// The dialogs are stood in for by a minimal implementation that answers OK and keeps an event
// loop running while the progress dialog would be up.
#include "core/busy_state.h"
#include "datamgmt/card_scan.h"
#include "datamgmt/copy_job.h"
#include "datamgmt/data_management.h"
#include "datamgmt/data_management_host.h"
#include "datamgmt/data_management_ui.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QTimer>
#include <cstdio>
#include <ctime>

namespace korvane {
namespace {

class BenchUi : public DataManagementUi {
public:
    QString destination;
    int showings = 0;
    QString verdict;
    QEventLoop* loop = nullptr;

    QString Message(const QString& name) override { return name; }
    int ShowBackupDialog(BackupDestination& d, bool) override
    {
        if (showings++)
            return kModalCancel;
        ChooseDestination(d, destination);
        return kModalOk;
    }
    int ShowCleanDialog(const QString&, bool) override { return kModalCancel; }
    bool AskConfirmation(const QString&) override { return true; }
    bool AskConfirmation2(const QString&, const QString&) override { return true; }
    void ShowInformation(const QString& text) override { verdict = text; }
    void ShowInformation2(const QString& a, const QString& b) override { verdict = a + QLatin1Char(' ') + b; }
    void ShowMessageBox(const QString&, const QString& text) override { verdict = text; }
    int ShowProcess(const ProcessView&) override
    {
        QEventLoop l;
        loop = &l;
        l.exec();
        loop = nullptr;
        return kModalOk;
    }
    void UpdateProcess(const ProcessView&) override {}
    void EndProcess() override
    {
        closedAt = clock.nsecsElapsed();
        if (loop)
            loop->quit();
    }
    QElapsedTimer clock;       // runs from the command's start
    qint64 endedAt = -1;       // ns: the worker first seen done before the dialog closed
    qint64 closedAt = -1;      // ns: the dialog's end
};

class BenchHost : public DataManagementHost {
public:
    QString folder;
    BusyState busy;
    CardRecordings Catalogue() override { return ScanCard(folder); }
    void SetSystemTimerEnabled(bool) override {}
    void StopPlayback() override {}
    BusyState& Busy() override { return busy; }
    void ShowPositionMap() override {}
    void KillStaleEngines() override {}
    void ResetViewerAll() override {}
    void ReloadFolder(const QString&) override {}
    void SetDataMenusEnabled(bool) override {}
};

int Copy(const QString& card, const QString& destParent)
{
    const CardRecordings scan = ScanCard(card);
    const QString target = destParent + QStringLiteral("/korvane-copy");
    QDir(target).removeRecursively();
    QDir().mkpath(target);
    JobProgress progress;
    QElapsedTimer t;
    t.start();
    const JobOutcome out = CopyRecordings(card, target, scan.AllNames(), progress);
    const double s = t.nsecsElapsed() / 1e9;
    std::printf("korvane copy job: %llu bytes in %.2f s = %.1f MB/s (%zu errors)\n",
                static_cast<unsigned long long>(progress.bytesDone.load()), s,
                progress.bytesDone.load() / 1e6 / s, out.errors.size());
    QDir(target).removeRecursively();
    return out.errors.empty() ? 0 : 1;
}

// The longest gap between ticks of a 1 ms timer while `work` runs on the main thread.
template <typename Work>
int MeasureGaps(const char* what, Work work)
{
    // Wall-clock gaps include the time the machine gave to other processes; the main thread's
    // own CPU time between two ticks is the work it did there, whatever else runs.
    auto cpuNow = [] {
        timespec ts {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
    };
    // Time the main thread spent ready to run but waiting for a core (other processes, the worker).
    auto queuedNow = [] {
        QFile f(QStringLiteral("/proc/thread-self/schedstat"));
        if (!f.open(QIODevice::ReadOnly))
            return qint64(0);
        const QList<QByteArray> parts = f.readAll().split(' ');
        return parts.size() > 1 ? parts[1].trimmed().toLongLong() : qint64(0);
    };
    QElapsedTimer clock;
    qint64 last = 0, longest = 0, ticks = 0, lastCpu = 0, longestCpu = 0;
    qint64 lastQueued = 0, queuedInLongest = 0, cpuInLongest = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        const qint64 cpu = cpuNow();
        const qint64 queued = queuedNow();
        if (now - last > longest) {
            longest = now - last;
            queuedInLongest = queued - lastQueued;
            cpuInLongest = cpu - lastCpu;
        }
        longestCpu = qMax(longestCpu, cpu - lastCpu);
        last = now;
        lastCpu = cpu;
        lastQueued = queued;
        ++ticks;
    });
    QTimer::singleShot(0, [&] {
        clock.start();
        lastCpu = cpuNow();
        lastQueued = queuedNow();
        tick.start();
        const QString result = work();
        tick.stop();
        std::printf("%s: %.2f s%s, %lld ticks of a 1 ms timer; longest main-thread gap %.1f ms"
                    " (%.1f ms of it waiting for a core, %.1f ms running); longest main-thread work"
                    " between two ticks %.1f ms\n", what,
                    clock.nsecsElapsed() / 1e9, qPrintable(result), static_cast<long long>(ticks), longest / 1e6,
                    queuedInLongest / 1e6, cpuInLongest / 1e6, longestCpu / 1e6);
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}

int Idle(int seconds)
{
    return MeasureGaps("idle", [seconds] {
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
        return QString();
    });
}

int Stall(const QString& card, const QString& destParent)
{
    BenchHost host;
    host.folder = card;
    BenchUi ui;
    ui.destination = destParent;
    DataManagement dm(host, ui);
    // The job's end as the main thread can first see it: the worker's busy flag, looked at
    // every millisecond while a job is out.
    bool wasBusy = false;
    QTimer look;
    look.setTimerType(Qt::PreciseTimer);
    look.setInterval(1);
    QObject::connect(&look, &QTimer::timeout, [&] {
        const bool busy = dm.Worker().Busy();
        if (wasBusy && !busy && ui.endedAt < 0 && ui.closedAt < 0)
            ui.endedAt = ui.clock.nsecsElapsed();
        wasBusy = busy;
    });
    ui.clock.start();
    look.start();
    return MeasureGaps("backup command", [&] {
        dm.miBackupClick();
        look.stop();
        // Not seen before the close: the end closed the dialog before the next 1 ms look.
        if (ui.endedAt < 0)
            std::printf("job's end to progress dialog closed: under 1 ms (before the next look)\n");
        else
            std::printf("job's end to progress dialog closed: %.1f ms\n", (ui.closedAt - ui.endedAt) / 1e6);
        // Only the dated folder the backup made inside the destination goes. A refused backup
        // made none, and its empty folder name would name the current directory.
        const QFileInfo made(dm.BackupFolder());
        if (!dm.BackupFolder().isEmpty() && made.isAbsolute() &&
            made.absolutePath() == QFileInfo(destParent).absoluteFilePath())
            QDir(made.absoluteFilePath()).removeRecursively();
        return QStringLiteral(", verdict ") + ui.verdict;
    });
}

} // namespace
} // namespace korvane

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("idle"))
        return korvane::Idle(args[2].toInt());
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: bench_backup copy|stall CARD DEST_PARENT | idle SECONDS\n");
        return 2;
    }
    const QString card = QFileInfo(args[2]).absoluteFilePath();
    const QString dest = QFileInfo(args[3]).absoluteFilePath();
    if (args[1] == QLatin1String("copy"))
        return korvane::Copy(card, dest);
    return korvane::Stall(card, dest);
}
