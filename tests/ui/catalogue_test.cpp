// The catalogue's rules beyond single files: where Korvane.ini is found, the language section,
// the shipped file, the order and format of `korvane-cli texts`, escaping.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <chrono>
#include <future>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/language_id.h"
#include "ui/profile_file.h"
#include "ui/text_catalogue.h"

namespace korvane {
namespace {

struct CliRun {
    int exitCode = -1;
    QStringList lines;
    QString error;
};

CliRun Cli(const QStringList& args, const QString& folder, const QByteArray& lang = "en_US.UTF-8")
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("LC_ALL"));
    env.remove(QStringLiteral("LC_MESSAGES"));
    env.insert(QStringLiteral("LANG"), QString::fromLatin1(lang));
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(QStringLiteral(KORVANE_CLI), QStringList{QStringLiteral("texts")} + args);
    p.waitForFinished(20000);
    CliRun r;
    r.exitCode = p.exitCode();
    r.lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    r.error = QString::fromUtf8(p.readAllStandardError());
    return r;
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

TEST(LanguageSection, UpperCaseHexWithoutLeadingZeros)
{
    EXPECT_EQ(LanguageSectionName(0x0804), "0x804");
    EXPECT_EQ(LanguageSectionName(0x411), "0x411");
    EXPECT_EQ(LanguageSectionName(0x40C), "0x40C");
    EXPECT_EQ(LanguageSectionName(0x1009), "0x1009");
    EXPECT_EQ(LanguageIdFromLocale("ja_JP.UTF-8"), 0x411u);
    EXPECT_EQ(LanguageIdFromLocale("en_US.UTF-8"), 0x409u);
}

TEST(CatalogueText, EscapingForTheListing)
{
    EXPECT_EQ(EscapeCatalogueText(QStringLiteral("a\\b\nc\rd\te")), QStringLiteral("a\\\\b\\nc\\rd\\te"));
    EXPECT_EQ(EscapeCatalogueText(QStringLiteral("常 時 録 画")), QStringLiteral("常 時 録 画"));
}

TEST(CatalogueText, UpdateLineBreakRule)
{
    EXPECT_EQ(ApplyUpdateLineBreaks(QStringLiteral("a\\n\\nb")), QStringLiteral("a\n\nb"));
    EXPECT_EQ(ApplyUpdateLineBreaks(QStringLiteral("no pair")), QStringLiteral("no pair"));
    EXPECT_EQ(ApplyUpdateLineBreaks(QStringLiteral("end\\n")), QStringLiteral("end\n\n"));
}

TEST(CatalogueText, NoFileMeansJapaneseMessagesAndFixedTexts)
{
    SetTextCatalogue(QString(), 0x409);
    EXPECT_EQ(InfoMessage(Info::CapacityInsufficient), QStringLiteral("メディア容量が不足しています，保存できません。"));
    EXPECT_EQ(InfoMessage(Info::FileDeleting), QStringLiteral("ファイル 削除中"));
    EXPECT_EQ(CatalogueText("Dlg.Backup.OK.Caption"), QStringLiteral(" 実   行"));
    EXPECT_EQ(CatalogueText("Main.WordNormal.Caption"), QStringLiteral("常 時 録 画"));
    EXPECT_TRUE(CatalogueText("No.Such.Key").isEmpty());
}

TEST(CatalogueText, UnreadableFileCountsAsPresentWithEnglishTexts)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Korvane.ini"));
    if (geteuid() == 0) {
        // Root reads any file: a folder in its place cannot be read either.
        ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("Korvane.ini")));
    } else {
        Write(path, "[0x409]\nMenu.File.Caption=Datei\n");
        QFile::setPermissions(path, QFileDevice::Permissions());
    }
    SetTextCatalogue(path, 0x409);
    EXPECT_EQ(CatalogueText("Menu.File.Caption"), QStringLiteral("File(&F)"));
    SetTextCatalogue(QString(), 0x409);
}

TEST(SettingsFile, StartDirectoryFirstThenShippedFile)
{
    QTemporaryDir dir;
    const QString shipped = ShippedSettingsFile();
    ASSERT_FALSE(shipped.isEmpty()) << "the build tree carries the shipped Korvane.ini";
    EXPECT_EQ(FindSettingsFile(dir.path()), shipped);
    Write(dir.filePath(QStringLiteral("Korvane.ini")), "[0x409]\n");
    EXPECT_EQ(FindSettingsFile(dir.path()), dir.filePath(QStringLiteral("Korvane.ini")));
    // A folder of that name is not a settings file.
    QTemporaryDir other;
    ASSERT_TRUE(QDir(other.path()).mkdir(QStringLiteral("Korvane.ini")));
    EXPECT_EQ(FindSettingsFile(other.path()), shipped);
}

// The shipped file carries every key of the catalogue in English and in Japanese, and its
// Japanese section shows what the built-in Japanese texts show.
TEST(SettingsFile, ShippedFileHasEveryKeyInBothSections)
{
    const ProfileFile shipped = ProfileFile::Read(ShippedSettingsFile());
    SetTextCatalogue(QString(), 0x411);
    const auto japanese = ResolvedCatalogue();
    for (const auto& [key, text] : japanese) {
        EXPECT_TRUE(shipped.Value(QStringLiteral("0x409"), key).has_value()) << key.toStdString();
        EXPECT_TRUE(shipped.Value(QStringLiteral("0x411"), key).has_value()) << key.toStdString();
    }
    SetTextCatalogue(ShippedSettingsFile(), 0x411);
    const auto fromFile = ResolvedCatalogue();
    ASSERT_EQ(fromFile.size(), japanese.size());
    for (qsizetype i = 0; i < fromFile.size(); ++i) {
        QString expected = japanese[i].second;
        expected.replace(QStringLiteral("\n \n"), QStringLiteral("\n\n"));   // the notice's empty line
        EXPECT_EQ(fromFile[i].second, expected) << fromFile[i].first.toStdString();
    }
    SetTextCatalogue(ShippedSettingsFile(), 0x409);
    for (const auto& [key, text] : ResolvedCatalogue()) {
        const TextRow* row = FindTextRow(key);
        ASSERT_NE(row, nullptr);
        if (key != QLatin1String("Dlg.Update.Information.Caption")) {
            EXPECT_EQ(text, QString::fromUtf8(row->english)) << key.toStdString();
        }
    }
    SetTextCatalogue(QString(), 0x409);
}

TEST(TextsCommand, ListsEveryKeyInCatalogueOrder)
{
    QTemporaryDir dir;
    const CliRun r = Cli({QStringLiteral("--lang"), QStringLiteral("0x411")}, dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.error.toStdString();
    ASSERT_EQ(r.lines.value(0), QStringLiteral("# ini=%1 section=0x411").arg(ShippedSettingsFile()));
    QStringList keys;
    for (const QString& line : r.lines.mid(1))
        keys << line.section(QLatin1Char('\t'), 0, 0);
    const QStringList expectedStart = {QStringLiteral("Menu.File.Caption"), QStringLiteral("Menu.FileOpen.Caption")};
    EXPECT_EQ(keys.mid(0, 2), expectedStart);
    EXPECT_EQ(keys.value(16), QStringLiteral("Main.Info.CheckDelete.Caption"));
    EXPECT_EQ(keys.value(30), QStringLiteral("Main.Info.SavingFile.Caption"));
    EXPECT_EQ(keys.value(31), QStringLiteral("Dlg.About.Caption"));
    EXPECT_EQ(keys.value(59), QStringLiteral("Dlg.Update.Information.Caption"));
    EXPECT_EQ(keys.mid(60), (QStringList{QStringLiteral("Viewer.PlaybackFailed.Caption"),
                                         QStringLiteral("Library.PathTooLong.Caption"),
                                         QStringLiteral("Viewer.Repair.Title.Caption"),
                                         QStringLiteral("Viewer.Repair.Question.Caption"),
                                         QStringLiteral("Viewer.Repair.Progress.Caption"),
                                         QStringLiteral("Viewer.Repair.Done.Caption"),
                                         QStringLiteral("Viewer.Repair.NoReference.Caption"),
                                         QStringLiteral("Viewer.Repair.NothingFound.Caption"),
                                         QStringLiteral("Viewer.Repair.Failed.Caption"),
                                         QStringLiteral("Menu.Snapshot.Caption"),
                                         QStringLiteral("Viewer.SnapshotSaved.Caption"),
                                         QStringLiteral("Viewer.SnapshotFailed.Caption"),
                                         QStringLiteral("Viewer.ThumbnailsUnavailable.Caption"),
                                         QStringLiteral("Viewer.PlaybackLost.Caption"),
                                         QStringLiteral("Viewer.NoRecordings.Caption"),
                                         QStringLiteral("Menu.SpeedMph.Caption"),
                                         QStringLiteral("Chart.Event.G.Caption"),
                                         QStringLiteral("Chart.Event.Braking.Caption"),
                                         QStringLiteral("Chart.Event.Trigger.Caption"),
                                         QStringLiteral("Menu.MarkIn.Caption"),
                                         QStringLiteral("Menu.MarkOut.Caption"),
                                         QStringLiteral("Menu.Export.Caption"),
                                         QStringLiteral("Dlg.Export.Caption"),
                                         QStringLiteral("Dlg.Export.Range.Caption"),
                                         QStringLiteral("Dlg.Export.Recordings.Caption"),
                                         QStringLiteral("Dlg.Export.Destination.Caption"),
                                         QStringLiteral("Dlg.Export.Choose.Caption"),
                                         QStringLiteral("Dlg.Export.Overlay.Caption"),
                                         QStringLiteral("Dlg.Export.Neighbours.Caption"),
                                         QStringLiteral("Dlg.Export.OK.Caption"),
                                         QStringLiteral("Dlg.Export.Cancel.Caption"),
                                         QStringLiteral("Viewer.Export.NoDestination.Caption"),
                                         QStringLiteral("Viewer.Export.OnCard.Caption"),
                                         QStringLiteral("Viewer.Export.NothingShown.Caption"),
                                         QStringLiteral("Viewer.Export.Busy.Caption"),
                                         QStringLiteral("Viewer.Export.Progress.Caption"),
                                         QStringLiteral("Viewer.Export.Done.Caption"),
                                         QStringLiteral("Viewer.Export.Stopped.Caption"),
                                         QStringLiteral("Viewer.Export.Failed.Caption"),
                                         QStringLiteral("Viewer.MarkIn.Caption"),
                                         QStringLiteral("Viewer.MarkOut.Caption"),
                                         QStringLiteral("Menu.OtherChannels.Caption"),
                                         QStringLiteral("Viewer.ChannelLost.Caption")}));
    EXPECT_EQ(r.lines.value(7), QStringLiteral("Menu.RouteContinue.Caption\t走行履歴表示(&H)"));
    EXPECT_TRUE(r.error.isEmpty()) << r.error.toStdString();
}

TEST(TextsCommand, StartDirectoryFileAndLocale)
{
    QTemporaryDir dir;
    Write(dir.filePath(QStringLiteral("Korvane.ini")), "[0x411]\nMenu.File.Caption=F\\ile\t1\n");
    const CliRun ja = Cli({}, dir.path(), "ja_JP.UTF-8");
    ASSERT_EQ(ja.exitCode, 0);
    EXPECT_EQ(ja.lines.value(0), QStringLiteral("# ini=%1 section=0x411").arg(dir.filePath(QStringLiteral("Korvane.ini"))));
    EXPECT_EQ(ja.lines.value(1), QStringLiteral("Menu.File.Caption\tF\\\\ile\\t1"));
    // An English locale looks up 0x409, which this file lacks: English built-in texts.
    const CliRun en = Cli({}, dir.path(), "en_US.UTF-8");
    EXPECT_TRUE(en.lines.value(0).endsWith(QLatin1String("section=0x409")));
    EXPECT_EQ(en.lines.value(1), QStringLiteral("Menu.File.Caption\tFile(&F)"));
}

TEST(TextsCommand, MissingIniIsExitTwoWithOneLine)
{
    QTemporaryDir dir;
    const CliRun r = Cli({QStringLiteral("--ini"), dir.filePath(QStringLiteral("none.ini"))}, dir.path());
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.lines.isEmpty());
    EXPECT_EQ(r.error.count(QLatin1Char('\n')), 1);
    EXPECT_TRUE(r.error.contains(QLatin1String("none.ini")));
}

TEST(TextsCommand, BadArgumentsAreUsageErrors)
{
    QTemporaryDir dir;
    EXPECT_EQ(Cli({QStringLiteral("--lang"), QStringLiteral("ja")}, dir.path()).exitCode, 64);
    EXPECT_EQ(Cli({QStringLiteral("--bogus")}, dir.path()).exitCode, 64);
    EXPECT_EQ(Cli({QStringLiteral("--ini")}, dir.path()).exitCode, 64);
}


// Cuts at 255 (messages) and 2047 (values) units: a character outside the BMP that straddles
// the cut is dropped whole instead of leaving its first half.
TEST(CatalogueText, CutsNeverSplitASurrogatePair)
{
    const QString face = QStringLiteral("\U0001F600");
    struct Case { QString text; qsizetype max; QString expected; };
    const Case cases[] = {
        {QString(254, u'a') + face + u'b', 255, QString(254, u'a')},
        {QString(253, u'a') + face + u'b', 255, QString(253, u'a') + face},
        {QString(255, u'a') + face, 255, QString(255, u'a')},
        {QString(10, u'a'), 255, QString(10, u'a')},
        {face, 1, QString()},
        {face, 0, QString()},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutText(c.text, c.max), c.expected) << c.text.size() << " to " << c.max;

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Korvane.ini"));
    const QString message = QString(254, u'x') + face + QStringLiteral("tail");
    const QString value = QString(2046, u'y') + face;
    Write(path, ("[0x409]\nMain.Info.FileDeleting.Caption=" + message + "\nMenu.File.Caption=" + value + "\n").toUtf8());
    SetTextCatalogue(path, 0x409);
    EXPECT_EQ(InfoMessage(Info::FileDeleting), QString(254, u'x'));
    EXPECT_EQ(CatalogueText("Menu.File.Caption"), QString(2046, u'y'));
    SetTextCatalogue(QString(), 0x409);
}


// The settings file may lie on the card: only a regular file of at most a few MiB is read; a
// FIFO never blocks, a device is never read, and the built-in English texts stand in.
TEST(SettingsFile, OnlyASmallRegularFileIsRead)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("fifo.ini"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString zero = dir.filePath(QStringLiteral("zero.ini"));
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), zero));
    const QString folder = dir.filePath(QStringLiteral("folder.ini"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString large = dir.filePath(QStringLiteral("large.ini"));
    {
        QFile f(large);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[0x409]\nMenu.File.Caption=Datei\n");
        ASSERT_TRUE(f.resize(ProfileFile::kFileMax + 1));
    }
    const QString small = dir.filePath(QStringLiteral("small.ini"));
    Write(small, "[0x409]\nMenu.File.Caption=Datei\n");

    struct Case { QString path; QString caption; };
    const Case cases[] = {
        {fifo, QStringLiteral("File(&F)")},
        {zero, QStringLiteral("File(&F)")},
        {folder, QStringLiteral("File(&F)")},
        {large, QStringLiteral("File(&F)")},
        {small, QStringLiteral("Datei")},
    };
    for (const Case& c : cases) {
        // A read that blocks would never come back: it runs on a thread of its own, and the FIFO
        // gets a writer should the wait end without an answer.
        auto read = std::async(std::launch::async, [&] { SetTextCatalogue(c.path, 0x409); });
        if (read.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
            ADD_FAILURE() << c.path.toStdString() << " blocked";
            QFile writer(fifo);
            writer.open(QIODevice::WriteOnly);
            read.wait();
            continue;
        }
        EXPECT_EQ(CatalogueText("Menu.File.Caption"), c.caption)
            << c.path.toStdString();
    }
    SetTextCatalogue(QString(), 0x409);
}

} // namespace
} // namespace korvane
