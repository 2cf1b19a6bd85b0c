// The real viewer started with a folder argument opens that folder; started with anything else
// it says why and opens its start directory. Seen through the scan report of its first scan.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include "platform/shared_memory.h"
#include "viewer_process.h"

namespace {
struct ViewerRun {
    QString reportPath;   // the first line of the scan report
    QString log;          // what the viewer wrote to stderr
};

// Starts the viewer in `start` with `arguments`, waits for its first scan report, ends it.
ViewerRun StartViewer(const QTemporaryDir& home, const QString& start, const QStringList& arguments)
{
    const QString block = QStringLiteral("KorvaneFolderArg%1").arg(QCoreApplication::applicationPid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("KORVANE_CONTROL_BLOCK"), block);
    const QString report = home.filePath(QStringLiteral("cache/KorvaneData/FileReport.log"));
    QFile::remove(report);

    QProcess viewer;
    viewer.setProcessEnvironment(env);
    viewer.setWorkingDirectory(start);
    viewer.start(QStringLiteral(KORVANE_BINARY), arguments);
    EXPECT_TRUE(viewer.waitForStarted());
    ViewerRun run;
    for (int i = 0; i < 200 && run.reportPath.isEmpty(); ++i) {
        QThread::msleep(50);
        QFile file(report);
        if (file.open(QIODevice::ReadOnly))
            run.reportPath = QString::fromUtf8(file.readLine()).trimmed();
    }
    QThread::msleep(100);   // a message is shown once the window is up
    viewer.kill();
    viewer.waitForFinished();
    run.log = QString::fromLocal8Bit(viewer.readAllStandardError());
    korvane::test::RemoveViewerLeftovers(block);
    return run;
}
} // namespace

TEST(FolderArgument, TheViewerOpensTheFolderItIsGiven)
{
    QTemporaryDir home, work;
    QDir(work.path()).mkpath(QStringLiteral("start"));
    QDir(work.path()).mkpath(QStringLiteral("card/DCIM"));
    const QString start = work.filePath(QStringLiteral("start"));
    const QString card = QDir(work.filePath(QStringLiteral("card/DCIM"))).canonicalPath();
    const QString startPath = QDir(start).canonicalPath();
    QFile plain(work.filePath(QStringLiteral("clip.MP4")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();

    struct Case { QStringList arguments; QString opened; const char* says; };
    const Case cases[] = {
        {{}, startPath, nullptr},
        {{card}, card, nullptr},
        {{QStringLiteral("../card/DCIM/")}, card, nullptr},
        {{work.filePath(QStringLiteral("gone"))}, startPath, "does not exist"},
        {{plain.fileName()}, startPath, "not a folder"},
        {{card, card}, startPath, "takes one argument"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.arguments.join(QLatin1Char(' '))));
        const ViewerRun run = StartViewer(home, start, c.arguments);
        EXPECT_EQ(run.reportPath, QStringLiteral("Path : ") + c.opened);
        if (c.says)
            EXPECT_TRUE(run.log.contains(QLatin1String(c.says))) << qPrintable(run.log);
        else
            EXPECT_FALSE(run.log.contains(QLatin1String("command line not taken"))) << qPrintable(run.log);
    }
}
