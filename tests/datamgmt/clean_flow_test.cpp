// Setup > CleanApp end to end: the real worker and real folders, the dialogs scripted.
#include "card_fixture.h"
#include "scripted_ui.h"

#include "datamgmt/data_management.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

namespace korvane {
namespace {
using namespace korvane::test;

struct CleanFixture : ::testing::Test {
    QTemporaryDir tmp;
    ScriptedHost host;
    ScriptedUi ui;
};

TEST_F(CleanFixture, BackupThenCleanDeletesTheRecordingsAndLeavesEverythingElse)
{
    const Card card = Card::Make(tmp.path(), 245, 3);
    const QString linkName = NormalName(400);
    ASSERT_TRUE(QFile::link(card.outside, card.folder + QLatin1Char('/') + linkName));
    host.folder = card.folder;
    const QString dest = tmp.path() + QStringLiteral("/dest");
    QDir().mkpath(dest);
    DataManagement dm(host, ui);

    ui.backupAnswers = {ScriptedUi::Choose(dest)};
    dm.miBackupClick();
    // The link named like a recording is listed but never followed: the backup says so.
    ASSERT_GE(ui.log.size(), 4);
    EXPECT_EQ(ui.log[2], QStringLiteral("Info:<BackupNotCompleted>"));
    EXPECT_TRUE(ui.log[3].contains(linkName + QStringLiteral(": symbolic link"))) << qPrintable(ui.log[3]);
    QStringList expected = card.recordings;
    expected.sort();
    EXPECT_EQ(Entries(dm.BackupFolder()), expected);

    ui.log.clear();
    ui.views.clear();
    host.log.clear();
    ui.cleanAnswers = {kModalOk};
    QElapsedTimer t;
    t.start();
    bool idleDuringPause = true;
    QTimer::singleShot(1000, [&] { idleDuringPause = host.busy.IsIdle(); });
    dm.miCleanClick();
    EXPECT_GE(t.elapsed(), 2000);  // the pause after the engines ended ran on the event loop
    EXPECT_FALSE(idleDuringPause);  // and a close request meanwhile would have waited

    EXPECT_EQ(ui.log, (QStringList{QStringLiteral("Clean:card:1"), QStringLiteral("Check:<CheckDelete>"),
                                   QStringLiteral("Process:<FileDeleting>"), QStringLiteral("Info:<CleanupCompleted>")}));
    EXPECT_EQ(host.log, (QStringList{QStringLiteral("tmSystem:0"), QStringLiteral("StopPlayback"),
                                     QStringLiteral("tmSystem:0"), QStringLiteral("ShowPositionMap"),
                                     QStringLiteral("KillStaleEngines"), QStringLiteral("ResetViewerAll"),
                                     QStringLiteral("ProcessFinish"), QStringLiteral("Reload:") + card.folder,
                                     QStringLiteral("Menus:0")}));
    // Left: the folder named like a recording, the other file and the other link; the outside
    // file is whole; the folder stays because it is not empty.
    EXPECT_EQ(Entries(card.folder), (QStringList{NormalName(99999), QStringLiteral("link.txt"), QStringLiteral("notes.txt")}));
    EXPECT_EQ(ReadAll(card.outside).size(), 20);
    // The backup is untouched.
    EXPECT_EQ(Entries(dm.BackupFolder()), expected);
    // The progress dialog follows the delete job's own counters; no copy count is shown.
    EXPECT_FALSE(ui.views.front().copyVisible);
    EXPECT_EQ(ui.views.back().total, 249);
    EXPECT_EQ(ui.views.back().done, 249);
}

TEST_F(CleanFixture, AFolderHoldingOnlyRecordingsIsRemoved)
{
    QDir().mkpath(tmp.path() + QStringLiteral("/card"));
    host.folder = tmp.path() + QStringLiteral("/card");
    for (int i = 0; i < 3; ++i)
        WriteFile(host.folder + QLatin1Char('/') + NormalName(i), 100);
    DataManagement dm(host, ui);
    dm.SetCleanSettleMs(10);
    ui.cleanAnswers = {kModalOk};
    dm.miCleanClick();
    EXPECT_EQ(ui.log.back(), QStringLiteral("Info:<CleanupCompleted>"));
    EXPECT_FALSE(QFileInfo::exists(host.folder));
    EXPECT_FALSE(host.menusEnabled);
}

TEST_F(CleanFixture, RefusedConfirmationGoesBackAndCancelDeletesNothing)
{
    const Card card = Card::Make(tmp.path(), 3, 0);
    host.folder = card.folder;
    DataManagement dm(host, ui);
    ui.cleanAnswers = {kModalOk, kModalOk};
    ui.confirmAnswers = {false, false};
    dm.miCleanClick();
    EXPECT_EQ(ui.log, (QStringList{QStringLiteral("Clean:card:1"), QStringLiteral("Check:<CheckDelete>"),
                                   QStringLiteral("Clean:card:1"), QStringLiteral("Check:<CheckDelete>"),
                                   QStringLiteral("Clean:card:1")}));
    EXPECT_EQ(Entries(card.folder).size(), 6);
    EXPECT_FALSE(host.log.contains(QStringLiteral("KillStaleEngines")));
}

TEST_F(CleanFixture, AMissingFolderOnlyAllowsCancel)
{
    host.folder = tmp.path() + QStringLiteral("/gone");
    DataManagement dm(host, ui);
    dm.miCleanClick();
    EXPECT_EQ(ui.log, QStringList{QStringLiteral("Clean:gone:0")});
}

TEST_F(CleanFixture, ARecordingThatSurvivesIsCleanupNotCompleted)
{
    const Card card = Card::Make(tmp.path(), 5, 1);
    host.folder = card.folder;
    DataManagement dm(host, ui);
    dm.SetCleanSettleMs(10);
    ui.cleanAnswers = {kModalOk};
    // The recording comes back before the verdict (as one the delete could not remove would).
    ui.onProcessShown = [&] {
        while (dm.Worker().Busy())
            QThread::msleep(5);
        WriteFile(card.folder + QLatin1Char('/') + EventName(0), 10);
    };
    dm.miCleanClick();
    EXPECT_EQ(ui.log, (QStringList{QStringLiteral("Clean:card:1"), QStringLiteral("Check:<CheckDelete>"),
                                   QStringLiteral("Process:<FileDeleting>"), QStringLiteral("Info:<CleanupNotCompleted>"),
                                   QStringLiteral("Clean:card:1")}));
    EXPECT_TRUE(host.menusEnabled);
    EXPECT_TRUE(QFileInfo::exists(card.folder));
}

TEST_F(CleanFixture, CardRemovedDuringTheDeleteIsNoExternalDevice)
{
    const Card card = Card::Make(tmp.path(), 50, 0);
    host.folder = card.folder;
    DataManagement dm(host, ui);
    dm.SetCleanSettleMs(10);
    ui.cleanAnswers = {kModalOk};
    // The card goes away at once, whatever the job is doing (deleting the folder's entries one
    // by one here would race with the job's own deletes).
    ui.onProcessShown = [&] { ASSERT_TRUE(QDir().rename(card.folder, tmp.path() + QStringLiteral("/unplugged"))); };
    dm.miCleanClick();
    EXPECT_EQ(ui.log, (QStringList{QStringLiteral("Clean:card:1"), QStringLiteral("Check:<CheckDelete>"),
                                   QStringLiteral("Process:<FileDeleting>"), QStringLiteral("Info:<NoExternalDevice>"),
                                   QStringLiteral("Clean:card:1")}));
}

TEST_F(CleanFixture, CtrlCDoesNothingWhileACommandIsOpenAndRunsOtherwise)
{
    const Card card = Card::Make(tmp.path(), 2, 0);
    host.folder = card.folder;
    DataManagement dm(host, ui);
    dm.SetCleanSettleMs(10);
    auto tick = [&] {
        dm.StartCleanDataTimer();
        QEventLoop loop;
        QTimer::singleShot(300, &loop, &QEventLoop::quit);
        loop.exec();
    };
    host.busy.Set(BusyReason::CloseRequest);
    tick();
    EXPECT_TRUE(ui.log.isEmpty());
    host.busy.Clear(BusyReason::CloseRequest);
    tick();
    EXPECT_EQ(ui.log, QStringList{QStringLiteral("Clean:card:1")});
    EXPECT_FALSE(host.busy.DialogUp());
    EXPECT_TRUE(host.busy.IsIdle());
}

TEST_F(CleanFixture, StopDuringTheDeleteReloadsAndGoesBackWithoutAMessage)
{
    const Card card = Card::Make(tmp.path(), 5, 0);
    host.folder = card.folder;
    DataManagement dm(host, ui);
    dm.SetCleanSettleMs(10);
    ui.cleanAnswers = {kModalOk};
    ui.stopWhen = [] { return true; };
    dm.miCleanClick();
    EXPECT_EQ(ui.log, (QStringList{QStringLiteral("Clean:card:1"), QStringLiteral("Check:<CheckDelete>"),
                                   QStringLiteral("Process:<FileDeleting>"), QStringLiteral("Clean:card:1")}));
    EXPECT_TRUE(host.log.contains(QStringLiteral("Reload:") + card.folder));
    EXPECT_TRUE(QFileInfo::exists(card.folder));
}

} // namespace
} // namespace korvane
