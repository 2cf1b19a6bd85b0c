// korvane-cli backup as a script runs it: exit statuses, output lines, what lands on disk.
#include "card_fixture.h"

#include "datamgmt/destination.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QScopeGuard>
#include <QThread>
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace korvane {
namespace {
using namespace korvane::test;

struct CliRun {
    int exitCode = -1;
    QString out, err;
};

CliRun RunCli(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(KORVANE_CLI), QStringList{QStringLiteral("backup")} + args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromLocal8Bit(p.readAllStandardOutput()), QString::fromLocal8Bit(p.readAllStandardError())};
}

QString LastLine(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return lines.isEmpty() ? QString() : lines.back();
}

TEST(CliBackup, CopiesTheCardAndPrintsTheDatedFolderLast)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 245, 3);
    const QString dest = tmp.path() + QStringLiteral("/dest");
    QDir().mkpath(dest);
    const CliRun r = RunCli({card.folder, dest});
    ASSERT_EQ(r.exitCode, 0) << qPrintable(r.err);
    const QString dated = LastLine(r.out);
    EXPECT_EQ(QFileInfo(dated).absolutePath(), dest);
    EXPECT_EQ(QFileInfo(dated).fileName().size(), 14);
    QStringList expected = card.recordings;
    expected.sort();
    EXPECT_EQ(Entries(dated), expected);
    for (const QString& name : card.recordings)
        ASSERT_EQ(ReadAll(dated + QLatin1Char('/') + name), ReadAll(card.folder + QLatin1Char('/') + name));
    EXPECT_TRUE(r.err.isEmpty()) << qPrintable(r.err);  // no progress line when stderr is no terminal
}

TEST(CliBackup, RefusesBadInputWithStatusTwoAndOneLine)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 2, 0);
    WriteFile(tmp.path() + QStringLiteral("/file"), 1);
    struct Case {
        const char* what;
        QStringList args;
    } cases[] = {
        {"no arguments", {}},
        {"one folder", {card.folder}},
        {"three folders", {card.folder, tmp.path(), tmp.path()}},
        {"unknown option", {QStringLiteral("--force"), card.folder, tmp.path()}},
        {"missing card", {tmp.path() + QStringLiteral("/nocard"), tmp.path()}},
        {"card is a file", {tmp.path() + QStringLiteral("/file"), tmp.path()}},
        {"missing destination", {card.folder, tmp.path() + QStringLiteral("/nodest")}},
        {"destination is a file", {card.folder, tmp.path() + QStringLiteral("/file")}},
        {"destination is the card", {card.folder, card.folder}},
    };
    for (const Case& c : cases) {
        const CliRun r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 2) << c.what;
        EXPECT_TRUE(r.out.isEmpty()) << c.what;
        EXPECT_EQ(r.err.count(QLatin1Char('\n')), 1) << c.what << ": " << qPrintable(r.err);
        EXPECT_TRUE(r.err.startsWith(QStringLiteral("korvane-cli: "))) << c.what;
    }
}

TEST(CliBackup, TheSameSecondTwiceNeedsReplace)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 2, 1);
    const QString dest = tmp.path() + QStringLiteral("/dest");
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = 0; s < 10; ++s) {
        const QString dated = DatedFolderPath(dest, now.addSecs(s));
        QDir().mkpath(dated);
        WriteFile(dated + QLatin1Char('/') + EventName(0), 3, 5);
    }
    const CliRun refused = RunCli({card.folder, dest});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_TRUE(refused.err.contains(QStringLiteral("--replace"))) << qPrintable(refused.err);
    const CliRun replaced = RunCli({QStringLiteral("--replace"), card.folder, dest});
    ASSERT_EQ(replaced.exitCode, 0) << qPrintable(replaced.err);
    const QString dated = LastLine(replaced.out);
    EXPECT_EQ(ReadAll(dated + QLatin1Char('/') + EventName(0)), ReadAll(card.folder + QLatin1Char('/') + EventName(0)));
}

TEST(CliBackup, NotEnoughSpaceIsStatusThreeAndCreatesNothing)
{
    QTemporaryDir tmp;
    SmallTmpfs small(tmp.path() + QStringLiteral("/small"), 64 * 1024);
    SmallTmpfs readOnly(tmp.path() + QStringLiteral("/ro"), 1 << 20, true);
    if (!small.Mounted() || !readOnly.Mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    const Card card = Card::Make(tmp.path(), 2, 0);
    WriteFile(card.folder + QLatin1Char('/') + EventName(0), 100 * 1024);
    const CliRun r = RunCli({card.folder, small.Path()});
    EXPECT_EQ(r.exitCode, 3) << qPrintable(r.err);
    EXPECT_TRUE(Entries(small.Path()).isEmpty());
    const CliRun ro = RunCli({card.folder, readOnly.Path()});
    EXPECT_EQ(ro.exitCode, 2) << qPrintable(ro.err);
}

TEST(CliBackup, InterruptedBySignalIsStatusOneAndLeavesNoTemporaryFile)
{
    QTemporaryDir tmp;
    const QString card = tmp.path() + QStringLiteral("/card");
    const QString dest = tmp.path() + QStringLiteral("/dest");
    QDir().mkpath(card);
    QDir().mkpath(dest);
    WriteFile(card + QLatin1Char('/') + NormalName(0), 1000);
    WriteSparse(card + QLatin1Char('/') + NormalName(1), 4ll << 30);
    for (int sig : {SIGINT, SIGTERM}) {
        QProcess p;
        p.start(QStringLiteral(KORVANE_CLI), {QStringLiteral("backup"), QStringLiteral("--replace"), card, dest});
        ASSERT_TRUE(p.waitForStarted());
        // Wait until the large file is being written.
        QElapsedTimer t;
        t.start();
        auto temporaryExists = [&] {
            for (const QString& d : Entries(dest))
                if (Entries(dest + QLatin1Char('/') + d).contains(QLatin1Char('.') + NormalName(1) + QStringLiteral(".korvane-part")))
                    return true;
            return false;
        };
        while (!temporaryExists() && t.elapsed() < 20000)
            QThread::msleep(5);
        ASSERT_TRUE(temporaryExists());
        ::kill(pid_t(p.processId()), sig);
        ASSERT_TRUE(p.waitForFinished(5000));
        EXPECT_EQ(p.exitCode(), 1) << sig;
        const QString dated = LastLine(QString::fromLocal8Bit(p.readAllStandardOutput()));
        EXPECT_EQ(Entries(dated), QStringList{NormalName(0)}) << sig;
        EXPECT_TRUE(QString::fromLocal8Bit(p.readAllStandardError()).contains(QStringLiteral("interrupted")));
    }
}

TEST(CliBackup, LinksNeitherWidgetsNorGStreamer)
{
    QProcess ldd;
    ldd.start(QStringLiteral("ldd"), {QStringLiteral(KORVANE_CLI_BACKUP)});
    ASSERT_TRUE(ldd.waitForFinished());
    const QString libs = QString::fromLocal8Bit(ldd.readAllStandardOutput());
    EXPECT_TRUE(libs.contains(QStringLiteral("libQt6Core")));
    EXPECT_FALSE(libs.contains(QStringLiteral("libQt6Widgets")));
    EXPECT_FALSE(libs.contains(QStringLiteral("libQt6Gui")));
    EXPECT_FALSE(libs.contains(QStringLiteral("libgst")));
}


// A file name that is not UTF-8 (a stray 0xFF byte) next to a decoy whose name is what a
// lossy conversion would make of it (U+FFFD in its place): the backup copies the recording the
// card holds, byte for byte, and never the decoy in its place.
TEST(CliBackup, NamesThatAreNotUtf8AreCopiedAsTheirOwnBytes)
{
    QTemporaryDir tmp;
    // QTemporaryDir cannot remove names it cannot decode: the folder goes by its bytes.
    const auto removeFolder = qScopeGuard([&] { std::filesystem::remove_all(QFile::encodeName(tmp.path()).toStdString()); });
    const std::string card = QFile::encodeName(tmp.path()).toStdString() + "/card";
    const std::string dest = QFile::encodeName(tmp.path()).toStdString() + "/dest";
    std::filesystem::create_directories(card);
    std::filesystem::create_directories(dest);
    const std::string odd = "2025061408\xFF" "000.MP4";
    const std::string decoy = "2025061408\xEF\xBF\xBD" "000.MP4";
    auto write = [](const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; };
    write(card + "/20250614080000.MP4", std::string(5000, 'a'));
    write(card + "/" + odd, std::string(6000, 'b'));
    write(card + "/" + decoy, std::string(7000, 'c'));

    QProcess p;
    p.start(QStringLiteral(KORVANE_CLI), {QStringLiteral("backup"), QFile::decodeName(QByteArray::fromStdString(card)),
                                          QFile::decodeName(QByteArray::fromStdString(dest))});
    ASSERT_TRUE(p.waitForFinished(60000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    std::vector<std::string> dated;
    for (const auto& e : std::filesystem::directory_iterator(dest))
        dated.push_back(e.path().native());
    ASSERT_EQ(dated.size(), 1u);
    std::map<std::string, std::string> copied;
    for (const auto& e : std::filesystem::directory_iterator(dated[0])) {
        std::ifstream in(e.path(), std::ios::binary);
        copied[e.path().filename().native()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    ASSERT_TRUE(copied.count(odd)) << "the recording whose name is not UTF-8 was not copied";
    EXPECT_EQ(copied[odd], std::string(6000, 'b'));
    if (copied.count(decoy))
        EXPECT_EQ(copied[decoy], std::string(7000, 'c'));
}

} // namespace
} // namespace korvane
