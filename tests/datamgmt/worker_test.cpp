// The worker thread: one job per hand-over, busy flags, the end signal on the main thread,
// stops inside a large file, and shut-down during a job.
#include "card_fixture.h"

#include "datamgmt/copy_job.h"
#include "datamgmt/job_worker.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>
#include <thread>

namespace korvane {
namespace {
using namespace korvane::test;

// Runs the event loop until `done` or `ms` milliseconds passed.
bool WaitFor(const std::function<bool()>& done, int ms)
{
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(2, &loop, &QEventLoop::quit);
        loop.exec();
    }
    return done();
}

TEST(JobWorker, RunsACopyThenADeleteOnceEachAndSignalsOnTheMainThread)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 4, 1);
    const QString target = tmp.path() + QStringLiteral("/backup");
    QDir().mkpath(target);
    JobWorker worker;
    std::vector<std::pair<int, bool>> ends;
    QObject::connect(&worker, &JobWorker::jobFinished, [&](int mode, bool stopped) {
        EXPECT_FALSE(worker.Busy());  // the flag is down before the main thread hears of it
        ends.emplace_back(mode, stopped);
    });

    worker.SetCopyInput(card.folder, target, card.recordings);
    ASSERT_TRUE(worker.StartWorkerJob(JobWorker::kCopyMode));
    EXPECT_EQ(worker.workerMode(), 0);
    ASSERT_TRUE(WaitFor([&] { return ends.size() == 1; }, 10000));
    EXPECT_FALSE(worker.copyBusy());
    EXPECT_EQ(Entries(target).size(), 5);

    worker.SetDeleteInput(card.folder, card.recordings);
    ASSERT_TRUE(worker.StartWorkerJob(JobWorker::kDeleteMode));
    EXPECT_EQ(worker.workerMode(), 1);
    ASSERT_TRUE(WaitFor([&] { return ends.size() == 2; }, 10000));
    EXPECT_FALSE(worker.deleteBusy());
    EXPECT_EQ(ends, (std::vector<std::pair<int, bool>>{{0, false}, {1, false}}));
    EXPECT_EQ(worker.Progress().done.load(), 5);
    EXPECT_FALSE(QFile::exists(card.folder + QLatin1Char('/') + NormalName(0)));
    // No further job runs by itself.
    EXPECT_FALSE(WaitFor([&] { return ends.size() > 2; }, 200));
}

TEST(JobWorker, RunsAGivenTaskOnItsOwnThreadAndRefusesAnotherWhileItRuns)
{
    JobWorker worker;
    std::vector<std::pair<int, bool>> ends;
    QObject::connect(&worker, &JobWorker::jobFinished, [&](int mode, bool stopped) {
        EXPECT_FALSE(worker.Busy());
        ends.emplace_back(mode, stopped);
    });
    // Without a task there is nothing to hand over.
    EXPECT_FALSE(worker.StartWorkerJob(JobWorker::kTaskMode));

    std::atomic<bool> release{false};
    std::thread::id ranOn;
    worker.SetTaskInput([&](const std::atomic<bool>& stop) {
        ranOn = std::this_thread::get_id();
        while (!release.load() && !stop.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return stop.load();
    });
    ASSERT_TRUE(worker.StartWorkerJob(JobWorker::kTaskMode));
    EXPECT_TRUE(worker.taskBusy());
    EXPECT_TRUE(worker.Busy());
    worker.SetCopyInput(QStringLiteral("/nowhere"), QStringLiteral("/nowhere"), {});
    EXPECT_FALSE(worker.StartWorkerJob(JobWorker::kCopyMode));
    release = true;
    ASSERT_TRUE(WaitFor([&] { return ends.size() == 1; }, 10000));
    EXPECT_NE(ranOn, std::this_thread::get_id());
    EXPECT_EQ(ends[0], std::make_pair(JobWorker::kTaskMode, false));

    // The worker's stop request reaches the task, and the task says it stopped.
    release = false;
    worker.SetTaskInput([&](const std::atomic<bool>& stop) {
        while (!stop.load())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    });
    ASSERT_TRUE(worker.StartWorkerJob(JobWorker::kTaskMode));
    worker.RequestStop();
    ASSERT_TRUE(WaitFor([&] { return ends.size() == 2; }, 10000));
    EXPECT_EQ(ends[1], std::make_pair(JobWorker::kTaskMode, true));
}

TEST(JobWorker, AStopInsideALargeFileTakesEffectWithinASecondAndLeavesNothing)
{
    QTemporaryDir tmp;
    const QString card = tmp.path() + QStringLiteral("/card");
    const QString target = tmp.path() + QStringLiteral("/backup");
    QDir().mkpath(card);
    QDir().mkpath(target);
    WriteSparse(card + QLatin1Char('/') + NormalName(0), 4ll << 30);  // 4 GiB, no room on disk
    JobWorker worker;
    bool stopped = false, ended = false;
    QObject::connect(&worker, &JobWorker::jobFinished, [&](int, bool s) { stopped = s; ended = true; });
    worker.SetCopyInput(card, target, {NormalName(0)});
    ASSERT_TRUE(worker.StartWorkerJob(JobWorker::kCopyMode));
    ASSERT_TRUE(WaitFor([&] { return worker.Progress().bytesDone.load() >= (16u << 20); }, 30000));
    EXPECT_TRUE(worker.copyBusy());
    EXPECT_FALSE(worker.deleteBusy());
    const auto refused = worker.StartWorkerJob(JobWorker::kDeleteMode);  // refused while busy, not lost
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error(), HandOverRefusal::JobRunning);
    QElapsedTimer t;
    t.start();
    worker.RequestStop();
    ASSERT_TRUE(WaitFor([&] { return ended; }, 5000));
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_TRUE(stopped);
    EXPECT_LT(worker.Progress().bytesDone.load(), 4ull << 30);
    EXPECT_TRUE(Entries(target).isEmpty());  // neither the recording nor its temporary file
    // Once stopped for good (shut-down), the worker takes no more jobs and says why.
    worker.StopAndJoin();
    const auto afterStop = worker.StartWorkerJob(JobWorker::kDeleteMode);
    ASSERT_FALSE(afterStop);
    EXPECT_EQ(afterStop.error(), HandOverRefusal::Stopped);
}

TEST(JobWorker, EndingTheProgramDuringACopyStopsAndJoinsTheThread)
{
    QTemporaryDir tmp;
    const QString card = tmp.path() + QStringLiteral("/card");
    const QString target = tmp.path() + QStringLiteral("/backup");
    QDir().mkpath(card);
    QDir().mkpath(target);
    WriteSparse(card + QLatin1Char('/') + NormalName(0), 4ll << 30);
    auto worker = std::make_unique<JobWorker>();
    worker->SetCopyInput(card, target, {NormalName(0)});
    ASSERT_TRUE(worker->StartWorkerJob(JobWorker::kCopyMode));
    ASSERT_TRUE(WaitFor([&] { return worker->Progress().bytesDone.load() > 0; }, 30000));
    QElapsedTimer t;
    t.start();
    worker.reset();
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_TRUE(Entries(target).isEmpty());
}

} // namespace
} // namespace korvane
