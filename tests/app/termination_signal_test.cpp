// SIGTERM and SIGINT close the viewer as a confirmed close does: no question, the control
// block unlinked, the working folder purged, the lock given back.
#include "platform/shared_memory.h"
#include "viewer_process.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>
#include <sys/file.h>
#include <fcntl.h>
#include <unistd.h>

namespace {
bool WaitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QThread::msleep(50);
    }
    return true;
}

class TerminationSignal : public testing::TestWithParam<int> {};
} // namespace

TEST_P(TerminationSignal, ClosesWithoutAskingAndLeavesNothingBehind)
{
    QTemporaryDir runtime, cache, card;
    const std::string blockName = "KorvaneSignalTest" + std::to_string(::getpid()) + "_" + std::to_string(GetParam());
    const QString blockFile = QStringLiteral("/dev/shm") + QString::fromStdString(korvane::platform::SharedMemoryObjectName(blockName));
    const QString report = cache.path() + QStringLiteral("/KorvaneData/FileReport.log");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    env.insert(QStringLiteral("XDG_CACHE_HOME"), cache.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KORVANE_CONTROL_BLOCK"), QString::fromStdString(blockName));

    QProcess viewer;
    viewer.setProcessEnvironment(env);
    viewer.setWorkingDirectory(card.path());
    viewer.start(QStringLiteral(KORVANE_BINARY), {});
    ASSERT_TRUE(viewer.waitForStarted());
    // Started: the block is open and the (empty) card's pass has written its report.
    const bool up = WaitUntil([&] { return QFileInfo::exists(blockFile) && QFileInfo::exists(report); }, 15000);
    EXPECT_TRUE(up);
    if (up) {
        ASSERT_EQ(::kill(static_cast<pid_t>(viewer.processId()), GetParam()), 0);
        EXPECT_TRUE(viewer.waitForFinished(10000));
        EXPECT_EQ(viewer.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(viewer.exitCode(), 0);
        EXPECT_FALSE(QFileInfo::exists(blockFile));
        EXPECT_FALSE(QFileInfo::exists(report));
        EXPECT_TRUE(QDir(card.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        // The lock is let go and its file removed with it.
        const QString lock = korvane::test::LockPathOf(QString::fromStdString(blockName));
        EXPECT_FALSE(QFileInfo::exists(lock)) << lock.toStdString();
        EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(korvane::InstanceLock::SocketPath(lock.toStdString()))));
    }
    if (viewer.state() != QProcess::NotRunning) {
        viewer.kill();
        viewer.waitForFinished();
    }
    korvane::test::RemoveViewerLeftovers(QString::fromStdString(blockName));
}

INSTANTIATE_TEST_SUITE_P(Signals, TerminationSignal, testing::Values(SIGTERM, SIGINT),
                         [](const auto& info) { return info.param == SIGTERM ? std::string("SIGTERM") : std::string("SIGINT"); });
