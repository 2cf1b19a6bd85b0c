// Setup > Backup end to end: the real worker and real folders, the dialogs scripted.
#include "card_fixture.h"
#include "scripted_ui.h"

#include "datamgmt/data_management.h"
#include "datamgmt/destination.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>

namespace korvane {
namespace {
using namespace korvane::test;

struct BackupFixture : ::testing::Test {
    QTemporaryDir tmp;
    ScriptedHost host;
    ScriptedUi ui;
    QString dest;

    void SetUp() override
    {
        dest = tmp.path() + QStringLiteral("/dest");
        QDir().mkpath(dest);
    }
    void TearDown() override { SetFreeSpaceProbeForTesting(nullptr); }
    // The one dated folder under the destination.
    QString Dated() const
    {
        const QStringList e = Entries(dest);
        return e.size() == 1 ? dest + QLatin1Char('/') + e[0] : QString();
    }
};

TEST_F(BackupFixture, CopiesEveryRecordingOfTheCardAndSaysCompleted)
{
    const Card card = Card::Make(tmp.path(), 245, 3);
    host.folder = card.folder;
    DataManagement dm(host, ui);
    ui.backupAnswers = {ScriptedUi::Choose(dest)};
    dm.miBackupClick();

    EXPECT_EQ(ui.log, (QStringList{QStringLiteral("Backup"), QStringLiteral("Process:<SavingFile>"),
                                   QStringLiteral("Info:<BackupCompleted>")}));
    const QString dated = Dated();
    ASSERT_FALSE(dated.isEmpty());
    EXPECT_EQ(dm.BackupFolder(), dated);
    EXPECT_EQ(QFileInfo(dated).fileName().size(), 14);
    QStringList expected = card.recordings;
    expected.sort();
    EXPECT_EQ(Entries(dated), expected);
    for (const QString& name : card.recordings)
        ASSERT_EQ(ReadAll(dated + QLatin1Char('/') + name), ReadAll(card.folder + QLatin1Char('/') + name));
    // The progress dialog: copy count shown, fill from the copy counters, ended by the job.
    ASSERT_GE(ui.views.size(), 2u);
    EXPECT_TRUE(ui.views.front().copyVisible);
    EXPECT_EQ(ui.views.back().copyText, QStringLiteral("248/248"));
    EXPECT_EQ(ProcessFillWidth(ui.views.back().done, ui.views.back().total, 210), 210);
    EXPECT_TRUE(host.log.contains(QStringLiteral("ProcessFinish")));
    EXPECT_TRUE(host.log.contains(QStringLiteral("StopPlayback")));
    EXPECT_TRUE(host.busy.IsIdle());
    EXPECT_FALSE(host.busy.DialogUp());
    EXPECT_EQ(dm.Destination().Label(), QStringLiteral("dest"));  // remembered for next time
}

TEST_F(BackupFixture, TheDestinationDialogComesBackAfterEveryRefusal)
{
    const Card card = Card::Make(tmp.path(), 3, 1);
    host.folder = card.folder;
    std::uint64_t needed = 0;
    for (const QString& n : card.recordings)
        needed += QFileInfo(card.folder + QLatin1Char('/') + n).size();
    int probe = 0;
    const std::optional<std::uint64_t> figures[] = {std::nullopt, needed - 1, needed};
    SetFreeSpaceProbeForTesting([&](const QString&) { return figures[probe++]; });
    DataManagement dm(host, ui);
    ui.backupAnswers = {
        ScriptedUi::Ok(),                                   // nothing chosen yet
        ScriptedUi::Choose(tmp.path() + QStringLiteral("/gone")),
        ScriptedUi::Choose(card.folder),                    // never into the card itself
        ScriptedUi::Choose(dest),                           // space cannot be read
        ScriptedUi::Ok(),                                   // one byte short
        ScriptedUi::Ok(),                                   // exactly enough
    };
    dm.miBackupClick();
    EXPECT_EQ(ui.log, (QStringList{
                          QStringLiteral("Backup"), QStringLiteral("Box:Korvane:Error1"),
                          QStringLiteral("Backup"), QStringLiteral("Box:Korvane:Error1"),
                          QStringLiteral("Backup"), QStringLiteral("Box:Korvane:Error1"),
                          QStringLiteral("Backup"), QStringLiteral("Box:Korvane:Error2"),
                          QStringLiteral("Backup"), QStringLiteral("Info:<CapacityInsufficient>"),
                          QStringLiteral("Backup"), QStringLiteral("Process:<SavingFile>"),
                          QStringLiteral("Info:<BackupCompleted>")}));
    // OK starts disabled (no destination yet), then stays usable.
    EXPECT_EQ(ui.backupOkEnabled, (std::vector<bool>{false, true, true, true, true, true}));
    EXPECT_EQ(Entries(Dated()).size(), 4);
}

TEST_F(BackupFixture, TwoBackupsInTheSameSecondAskBeforeReplacing)
{
    const Card card = Card::Make(tmp.path(), 2, 1);
    host.folder = card.folder;
    // Whatever second the command reads, its dated folder already holds a recording.
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = 0; s < 5; ++s) {
        const QString dated = DatedFolderPath(dest, now.addSecs(s));
        QDir().mkpath(dated);
        WriteFile(dated + QLatin1Char('/') + NormalName(0), 3, 9);
    }
    DataManagement dm(host, ui);
    ui.backupAnswers = {ScriptedUi::Choose(dest), ScriptedUi::Ok()};
    ui.confirmAnswers = {false, true};
    dm.miBackupClick();
    EXPECT_EQ(ui.log, (QStringList{
                          QStringLiteral("Backup"), QStringLiteral("Check1:<FolderAlreadyExists><CopyReplace>"),
                          QStringLiteral("Backup"), QStringLiteral("Check1:<FolderAlreadyExists><CopyReplace>"),
                          QStringLiteral("Process:<SavingFile>"), QStringLiteral("Info:<BackupCompleted>")}));
    EXPECT_EQ(ReadAll(dm.BackupFolder() + QLatin1Char('/') + NormalName(0)),
              ReadAll(card.folder + QLatin1Char('/') + NormalName(0)));
}

TEST_F(BackupFixture, StopInTheMiddleOfALargeFileReturnsToTheDestinationDialog)
{
    QDir().mkpath(tmp.path() + QStringLiteral("/card"));
    host.folder = tmp.path() + QStringLiteral("/card");
    WriteSparse(host.folder + QLatin1Char('/') + NormalName(0), 4ll << 30);
    WriteFile(host.folder + QLatin1Char('/') + NormalName(1), 1000);
    SetFreeSpaceProbeForTesting([](const QString&) { return std::uint64_t(1) << 40; });
    DataManagement dm(host, ui);
    ui.backupAnswers = {ScriptedUi::Choose(dest)};
    ui.stopWhen = [&] { return dm.Worker().Progress().bytesDone.load() >= (16u << 20); };
    bool idleAfterStop = true;
    QElapsedTimer sinceStop;
    ui.backupAnswers.push_back([&](BackupDestination&) {
        idleAfterStop = host.busy.IsIdle();
        EXPECT_FALSE(dm.Worker().Busy());  // the job has returned before the dialog comes back
        return kModalCancel;
    });
    dm.miBackupClick();
    EXPECT_EQ(ui.log, (QStringList{QStringLiteral("Backup"), QStringLiteral("Process:<SavingFile>"),
                                   QStringLiteral("Backup")}));
    EXPECT_FALSE(idleAfterStop);  // a stopped job does not make the viewer idle
    EXPECT_FALSE(host.log.contains(QStringLiteral("ProcessFinish")));
    EXPECT_TRUE(host.busy.IsIdle());  // the command's end does
    EXPECT_TRUE(Entries(Dated()).isEmpty());  // no partial recording, no temporary file
}

TEST_F(BackupFixture, CardRemovedDuringTheCopyIsNotCompletedAndSaysWhy)
{
    QDir().mkpath(tmp.path() + QStringLiteral("/card"));
    host.folder = tmp.path() + QStringLiteral("/card");
    for (int i = 0; i < 6; ++i)
        WriteSparse(host.folder + QLatin1Char('/') + NormalName(i), 256ll << 20);
    SetFreeSpaceProbeForTesting([](const QString&) { return std::uint64_t(1) << 40; });
    DataManagement dm(host, ui);
    ui.backupAnswers = {ScriptedUi::Choose(dest)};
    bool removed = false;
    ui.stopWhen = [&] {
        if (!removed && dm.Worker().Progress().bytesDone.load() > 0) {
            removed = QDir(host.folder).removeRecursively();
        }
        return false;
    };
    dm.miBackupClick();
    ASSERT_TRUE(removed);
    ASSERT_GE(ui.log.size(), 4);
    EXPECT_EQ(ui.log[2], QStringLiteral("Info:<BackupNotCompleted>"));
    EXPECT_TRUE(ui.log[3].startsWith(QStringLiteral("Detail:"))) << qPrintable(ui.log[3]);
    EXPECT_EQ(ui.log.back(), QStringLiteral("Backup"));
    for (const QString& e : Entries(Dated()))
        EXPECT_FALSE(e.startsWith(QLatin1Char('.'))) << qPrintable(e);
}

TEST_F(BackupFixture, DestinationGoneDuringTheCopyIsNoExternalDevice)
{
    QDir().mkpath(tmp.path() + QStringLiteral("/card"));
    host.folder = tmp.path() + QStringLiteral("/card");
    for (int i = 0; i < 4; ++i)
        WriteSparse(host.folder + QLatin1Char('/') + NormalName(i), 256ll << 20);
    SetFreeSpaceProbeForTesting([](const QString&) { return std::uint64_t(1) << 40; });
    DataManagement dm(host, ui);
    ui.backupAnswers = {ScriptedUi::Choose(dest)};
    bool removed = false;
    ui.stopWhen = [&] {
        if (!removed && dm.Worker().Progress().bytesDone.load() > 0)
            removed = QDir(dest).removeRecursively();
        return false;
    };
    dm.miBackupClick();
    ASSERT_TRUE(removed);
    EXPECT_EQ(ui.log, (QStringList{QStringLiteral("Backup"), QStringLiteral("Process:<SavingFile>"),
                                   QStringLiteral("Info:<NoExternalDevice>"), QStringLiteral("Backup")}));
}

TEST_F(BackupFixture, AFullDestinationShowsTheCopyError)
{
    SmallTmpfs small(tmp.path() + QStringLiteral("/small"), 64 * 1024);
    if (!small.Mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const Card card = Card::Make(tmp.path(), 30, 0);  // about 50 KB of recordings
    WriteFile(card.folder + QLatin1Char('/') + EventName(0), 200 * 1024);
    host.folder = card.folder;
    SetFreeSpaceProbeForTesting([](const QString&) { return std::uint64_t(1) << 30; });  // a wrong figure
    DataManagement dm(host, ui);
    ui.backupAnswers = {ScriptedUi::Choose(small.Path())};
    dm.miBackupClick();
    ASSERT_EQ(ui.log.size(), 5);
    EXPECT_EQ(ui.log[2], QStringLiteral("Info:<BackupNotCompleted>"));
    EXPECT_TRUE(ui.log[3].contains(QStringLiteral("No space left on device"))) << qPrintable(ui.log[3]);
    const QStringList left = Entries(Dated());
    EXPECT_FALSE(left.contains(EventName(0)));
    for (const QString& e : left)
        EXPECT_FALSE(e.startsWith(QLatin1Char('.'))) << qPrintable(e);
}

TEST_F(BackupFixture, TooSmallAndReadOnlyDestinationsOnRealMounts)
{
    SmallTmpfs small(tmp.path() + QStringLiteral("/small"), 64 * 1024);
    SmallTmpfs readOnly(tmp.path() + QStringLiteral("/ro"), 1 << 20, true);
    if (!small.Mounted() || !readOnly.Mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const Card card = Card::Make(tmp.path(), 2, 0);
    WriteFile(card.folder + QLatin1Char('/') + EventName(0), 100 * 1024);
    host.folder = card.folder;
    DataManagement dm(host, ui);
    ui.backupAnswers = {ScriptedUi::Choose(small.Path()), ScriptedUi::Choose(readOnly.Path())};
    dm.miBackupClick();
    EXPECT_EQ(ui.log, (QStringList{QStringLiteral("Backup"), QStringLiteral("Info:<CapacityInsufficient>"),
                                   QStringLiteral("Backup"), QStringLiteral("Box:Korvane:<SubdirectoryNotCreated>"),
                                   QStringLiteral("Backup")}));
    EXPECT_TRUE(Entries(small.Path()).isEmpty());
}

TEST_F(BackupFixture, AnEmptyCardCompletesWithAnEmptyDatedFolder)
{
    QDir().mkpath(tmp.path() + QStringLiteral("/card"));
    host.folder = tmp.path() + QStringLiteral("/card");
    DataManagement dm(host, ui);
    ui.backupAnswers = {ScriptedUi::Choose(dest)};
    dm.miBackupClick();
    EXPECT_EQ(ui.log.back(), QStringLiteral("Info:<BackupCompleted>"));
    EXPECT_EQ(ui.views.back().copyText, QStringLiteral("0/0"));
    EXPECT_EQ(ProcessFillWidth(0, 0, 210), 0);
    EXPECT_TRUE(Entries(Dated()).isEmpty());
}

} // namespace
} // namespace korvane
