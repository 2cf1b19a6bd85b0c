// A second viewer started while one runs quits within about a second, shows nothing and
// touches no file.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "platform/shared_memory.h"
#include "viewer_process.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

namespace {
QMap<QString, QDateTime> Snapshot(const QString& root)
{
    QMap<QString, QDateTime> files;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QString path = it.next();
        files.insert(path, QFileInfo(path).lastModified());
    }
    return files;
}

// A viewer's environment of the test's own: runtime and cache folders, the offscreen platform,
// and a control block that the test removes itself.
QProcessEnvironment ViewerEnvironment(const QString& runtime, const QString& cacheHome, const QString& block)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    env.insert(QStringLiteral("XDG_CACHE_HOME"), cacheHome);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KORVANE_CONTROL_BLOCK"), block);
    return env;
}
} // namespace

TEST(SecondInstance, QuitsWithinASecondWithoutTouchingFiles)
{
    QTemporaryDir runtime, work;
    // A control block of the test's own, removed at the end: the first viewer is killed.
    const QString block = QStringLiteral("KorvaneSecondInstance%1").arg(QCoreApplication::applicationPid());
    const QProcessEnvironment env = ViewerEnvironment(runtime.path(), runtime.path() + QStringLiteral("/cache"), block);

    QProcess first;
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(work.path());
    first.start(QStringLiteral(KORVANE_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    // Wait until the first viewer holds its lock.
    for (int i = 0; i < 100 && !QFileInfo::exists(korvane::test::LockPathOf(block)); ++i)
        QThread::msleep(50);
    // The first viewer finishes its start-up scan (its report is the last file it writes) and
    // settles (its browsers create their folders) before the second starts.
    const QString report = runtime.path() + QStringLiteral("/cache/KorvaneData/FileReport.log");
    for (int i = 0; i < 200 && !QFileInfo::exists(report); ++i)
        QThread::msleep(50);
    auto settled = Snapshot(runtime.path());
    for (int i = 0; i < 40; ++i) {
        QThread::msleep(500);
        const auto now = Snapshot(runtime.path());
        if (now == settled)
            break;
        settled = now;
    }
    const auto before = Snapshot(runtime.path());
    const auto workBefore = Snapshot(work.path());

    QProcess second;
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(work.path());
    QElapsedTimer clock;
    clock.start();
    second.start(QStringLiteral(KORVANE_BINARY), {});
    ASSERT_TRUE(second.waitForFinished(5000));
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_GE(elapsed, 900);
    EXPECT_LT(elapsed, 4000);
    EXPECT_EQ(first.state(), QProcess::Running);
    const auto after = Snapshot(runtime.path());
    for (auto it = after.begin(); it != after.end(); ++it)
        if (before.value(it.key()) != it.value())
            ADD_FAILURE() << "changed: " << qPrintable(it.key());
    for (auto it = before.begin(); it != before.end(); ++it)
        if (!after.contains(it.key()))
            ADD_FAILURE() << "removed: " << qPrintable(it.key());
    EXPECT_EQ(Snapshot(work.path()), workBefore);

    first.kill();
    first.waitForFinished();
    korvane::test::RemoveViewerLeftovers(block);
}

// A second viewer stopped by SIGTERM within its first second runs its shut-down before it knows
// it is the second: the running viewer's control block stays where it is.
TEST(SecondInstance, TerminatedEarlyLeavesTheRunningViewersBlock)
{
    QTemporaryDir runtime, work;
    const QString block = QStringLiteral("KorvaneEarlyTerm%1").arg(QCoreApplication::applicationPid());
    const QProcessEnvironment env = ViewerEnvironment(runtime.path(), runtime.path() + QStringLiteral("/cache"), block);
    const QString object =
        QStringLiteral("/dev/shm") + QString::fromStdString(korvane::platform::SharedMemoryObjectName(block.toStdString()));

    QProcess first;
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(work.path());
    first.start(QStringLiteral(KORVANE_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    for (int i = 0; i < 200 && !QFileInfo::exists(object); ++i)
        QThread::msleep(50);
    ASSERT_TRUE(QFileInfo::exists(object));

    for (const int afterMs : {0, 150, 400}) {
        QProcess second;
        second.setProcessEnvironment(env);
        second.setWorkingDirectory(work.path());
        second.start(QStringLiteral(KORVANE_BINARY), {});
        ASSERT_TRUE(second.waitForStarted());
        QThread::msleep(afterMs);
        second.terminate();
        ASSERT_TRUE(second.waitForFinished(5000));
        EXPECT_TRUE(QFileInfo::exists(object)) << "SIGTERM after " << afterMs << " ms";
    }
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished();
    korvane::test::RemoveViewerLeftovers(block);
}

namespace {
// The first line of the scan report: the folder the viewer scanned last.
QString ReportedFolder(const QString& report)
{
    QFile file(report);
    const QString line = file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readLine()).trimmed() : QString();
    return line.startsWith(QStringLiteral("Path : ")) ? line.mid(7) : line;
}
} // namespace

// Two sessions of one user (two displays, each with a runtime folder of its own) run one viewer:
// the second finds the first and ends instead of playing through the first one's block.
TEST(SecondInstance, ASecondSessionOfTheSameUserFindsTheFirstViewer)
{
    QTemporaryDir runtimeA, runtimeB, work;
    const QString block = QStringLiteral("KorvaneTwoSessions%1").arg(QCoreApplication::applicationPid());
    const korvane::test::ViewerLeftovers leftovers{block};
    QProcess first;
    first.setProcessEnvironment(ViewerEnvironment(runtimeA.path(), runtimeA.path() + QStringLiteral("/cache"), block));
    first.setWorkingDirectory(work.path());
    first.start(QStringLiteral(KORVANE_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    const QString report = runtimeA.path() + QStringLiteral("/cache/KorvaneData/FileReport.log");
    for (int i = 0; i < 200 && !QFileInfo::exists(report); ++i)
        QThread::msleep(50);

    QProcess second;
    second.setProcessEnvironment(ViewerEnvironment(runtimeB.path(), runtimeB.path() + QStringLiteral("/cache"), block));
    second.setWorkingDirectory(work.path());
    second.start(QStringLiteral(KORVANE_BINARY), {});
    EXPECT_TRUE(second.waitForFinished(5000)) << "the second session's viewer started as a viewer of its own";
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_FALSE(QFileInfo::exists(runtimeB.path() + QStringLiteral("/cache/KorvaneData/FileReport.log")));
    EXPECT_EQ(first.state(), QProcess::Running);
    if (second.state() != QProcess::NotRunning) {
        second.kill();
        second.waitForFinished();
    }
    first.kill();
    first.waitForFinished();
    korvane::test::RemoveViewerLeftovers(block);
}

// "korvane FOLDER" while a viewer runs: the folder opens in the running viewer, and the second
// process ends at once with status 0.
TEST(SecondInstance, AFolderArgumentIsHandedToTheRunningViewer)
{
    QTemporaryDir runtime, work, card;
    const QString block = QStringLiteral("KorvaneHandOver%1").arg(QCoreApplication::applicationPid());
    const korvane::test::ViewerLeftovers leftovers{block};
    const QProcessEnvironment env = ViewerEnvironment(runtime.path(), runtime.path() + QStringLiteral("/cache"), block);
    const QString report = runtime.path() + QStringLiteral("/cache/KorvaneData/FileReport.log");
    QProcess first;
    first.setProcessEnvironment(env);
    first.setWorkingDirectory(work.path());
    first.start(QStringLiteral(KORVANE_BINARY), {});
    ASSERT_TRUE(first.waitForStarted());
    const QString workPath = QDir(work.path()).canonicalPath();
    for (int i = 0; i < 200 && ReportedFolder(report) != workPath; ++i)
        QThread::msleep(50);
    ASSERT_EQ(ReportedFolder(report), workPath);

    QProcess second;
    second.setProcessEnvironment(env);
    second.setWorkingDirectory(work.path());
    QElapsedTimer clock;
    clock.start();
    second.start(QStringLiteral(KORVANE_BINARY), {card.path()});
    ASSERT_TRUE(second.waitForFinished(5000));
    const qint64 elapsed = clock.elapsed();
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    std::printf("the second process handed its folder over and ended after %lld ms\n", static_cast<long long>(elapsed));
    const QString cardPath = QDir(card.path()).canonicalPath();
    for (int i = 0; i < 200 && ReportedFolder(report) != cardPath; ++i)
        QThread::msleep(50);
    EXPECT_EQ(ReportedFolder(report), cardPath);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    first.waitForFinished();
    korvane::test::RemoveViewerLeftovers(block);
}

// A cache folder on a full disk: the viewer starts (the shader caches, memory-mapped files
// there, are turned off instead of dying with SIGBUS), shows its recordings without thumbnails
// and says so.
TEST(FullCache, TheViewerStartsAndShowsItsRecordingsWithoutThumbnails)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a full filesystem of the test's own needs root";
    QTemporaryDir runtime, cache;
    ASSERT_EQ(mount("tmpfs", QFile::encodeName(cache.path()).constData(), "tmpfs", 0, "size=256k"), 0)
        << strerror(errno);
    {
        QFile fill(cache.path() + QStringLiteral("/fill"));
        ASSERT_TRUE(fill.open(QIODevice::WriteOnly));
        while (fill.write(QByteArray(4096, 'x')) > 0 && fill.flush()) {
        }
    }
    const QString block = QStringLiteral("KorvaneFullCache%1").arg(QCoreApplication::applicationPid());
    const QProcessEnvironment env = ViewerEnvironment(runtime.path(), cache.path(), block);

    QProcess viewer;
    viewer.setProcessEnvironment(env);
    viewer.setWorkingDirectory(QStringLiteral(KORVANE_SAMPLES_DIR));
    viewer.setProcessChannelMode(QProcess::MergedChannels);
    viewer.start(QStringLiteral(KORVANE_BINARY), {});
    ASSERT_TRUE(viewer.waitForStarted());
    QByteArray log;
    for (int i = 0; i < 300 && !log.contains("recordings shown without thumbnails"); ++i) {
        viewer.waitForReadyRead(100);
        log += viewer.readAll();
    }
    QThread::msleep(1000);
    log += viewer.readAll();
    EXPECT_EQ(viewer.state(), QProcess::Running) << log.toStdString();
    EXPECT_TRUE(log.contains("shader caches turned off")) << log.toStdString();
    EXPECT_TRUE(log.contains("recordings shown without thumbnails")) << log.toStdString();

    viewer.terminate();
    EXPECT_TRUE(viewer.waitForFinished(10000));
    korvane::test::RemoveViewerLeftovers(block);
    EXPECT_EQ(umount2(QFile::encodeName(cache.path()).constData(), MNT_DETACH), 0);
}
