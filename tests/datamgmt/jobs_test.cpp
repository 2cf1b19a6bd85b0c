// The copy and delete jobs and the checks around them, called directly on real folders.
#include "card_fixture.h"

#include "datamgmt/card_scan.h"
#include "datamgmt/copy_job.h"
#include "datamgmt/delete_job.h"
#include "datamgmt/destination.h"
#include "datamgmt/listed_files.h"
#include "datamgmt/posix_files.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <gtest/gtest.h>
#include <optional>
#include <sys/statvfs.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/file_name_bytes.h"

namespace korvane {
namespace {
using namespace korvane::test;

TEST(CopyJob, CopiesEveryRecordingOfTheScanWholeAndLeavesNoTemporaryFile)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 245, 3);
    const CardRecordings scan = ScanCard(card.folder);
    ASSERT_EQ(scan.normalFiles.size(), 245);  // more than the 240 cells of a grid
    ASSERT_EQ(scan.eventFiles.size(), 3);
    const QString target = tmp.path() + QStringLiteral("/backup");
    QDir().mkpath(target);

    JobProgress progress;
    const JobOutcome out = CopyRecordings(card.folder, target, scan.AllNames(), progress);
    EXPECT_TRUE(out.errors.empty());
    EXPECT_FALSE(out.stopped);
    EXPECT_EQ(progress.done.load(), 248);
    EXPECT_EQ(progress.total.load(), 248);
    EXPECT_EQ(progress.bytesDone.load(), scan.TotalBytes());
    QStringList expected = card.recordings;
    expected.sort();
    EXPECT_EQ(Entries(target), expected);  // no clutter, no hidden leftovers
    for (const QString& name : card.recordings)
        ASSERT_EQ(ReadAll(target + QLatin1Char('/') + name), ReadAll(card.folder + QLatin1Char('/') + name)) << qPrintable(name);
    EXPECT_TRUE(AllListedFilesIn(target, out.names, out.sourceSizes));
}

TEST(CopyJob, ReplacesAnOlderCopyOfTheSameName)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 2, 0);
    const QString target = tmp.path() + QStringLiteral("/backup");
    QDir().mkpath(target);
    WriteFile(target + QLatin1Char('/') + NormalName(0), 3, 77);
    JobProgress progress;
    const JobOutcome out = CopyRecordings(card.folder, target, card.recordings, progress);
    EXPECT_TRUE(out.errors.empty());
    EXPECT_EQ(ReadAll(target + QLatin1Char('/') + NormalName(0)), ReadAll(card.folder + QLatin1Char('/') + NormalName(0)));
}

TEST(CopyJob, NeverFollowsALinkNamedLikeARecordingAndSaysSo)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 1, 0);
    const QString linkName = NormalName(50);
    ASSERT_TRUE(QFile::link(card.outside, card.folder + QLatin1Char('/') + linkName));
    const QStringList names = ScanCard(card.folder).AllNames();
    ASSERT_TRUE(names.contains(linkName));  // the scan lists it
    const QString target = tmp.path() + QStringLiteral("/backup");
    QDir().mkpath(target);
    JobProgress progress;
    const JobOutcome out = CopyRecordings(card.folder, target, names, progress);
    ASSERT_EQ(out.errors.size(), 1u);
    EXPECT_EQ(out.errors[0].name, linkName);
    EXPECT_TRUE(out.errors[0].reason.contains(QStringLiteral("symbolic link")));
    EXPECT_EQ(Entries(target), QStringList{NormalName(0)});
    EXPECT_EQ(MissingFrom(target, out.names, out.sourceSizes), QStringList{linkName});
}

TEST(CopyJob, UnusableNamesAndMissingSourcesAreErrorsNotCrashes)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 1, 0);
    const QString target = tmp.path() + QStringLiteral("/backup");
    QDir().mkpath(target);
    JobProgress progress;
    const QStringList names{QStringLiteral("../outside.txt"), NormalName(7), NormalName(0)};
    const JobOutcome out = CopyRecordings(card.folder, target, names, progress);
    ASSERT_EQ(out.errors.size(), 2u);
    EXPECT_EQ(out.errors[0].name, names[0]);
    EXPECT_EQ(out.errors[1].name, names[1]);
    EXPECT_EQ(Entries(target), QStringList{NormalName(0)});
    EXPECT_EQ(progress.done.load(), 3);
}

TEST(CopyJob, AFullDiskEndsTheCopyVisiblyAndRemovesTheTemporaryFile)
{
    QTemporaryDir tmp;
    SmallTmpfs small(tmp.path() + QStringLiteral("/small"), 256 * 1024);
    if (!small.Mounted())
        GTEST_SKIP() << "mounting a tmpfs needs root";
    QDir().mkpath(tmp.path() + QStringLiteral("/card"));
    WriteFile(tmp.path() + QStringLiteral("/card/") + NormalName(0), 100 * 1024);
    WriteFile(tmp.path() + QStringLiteral("/card/") + NormalName(1), 400 * 1024);
    JobProgress progress;
    const QStringList names{NormalName(0), NormalName(1)};
    const JobOutcome out = CopyRecordings(tmp.path() + QStringLiteral("/card"), small.Path(), names, progress);
    ASSERT_EQ(out.errors.size(), 1u);
    EXPECT_EQ(out.errors[0].name, NormalName(1));
    EXPECT_TRUE(out.errors[0].reason.contains(QStringLiteral("space"))) << qPrintable(out.errors[0].reason);
    EXPECT_EQ(Entries(small.Path()), QStringList{NormalName(0)});
}

TEST(DeleteJob, DeletesExactlyTheListedRecordingsAndNothingElse)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 245, 3);
    const QString linkName = NormalName(300);
    ASSERT_TRUE(QFile::link(card.outside, card.folder + QLatin1Char('/') + linkName));
    const CardRecordings scan = ScanCard(card.folder);
    JobProgress progress;
    const JobOutcome out = DeleteRecordings(card.folder, scan.AllNames(), progress);
    EXPECT_TRUE(out.errors.empty());
    EXPECT_EQ(progress.done.load(), 249);
    // The folder named like a recording, the other file and the other link stay; the link
    // named like a recording went, its target did not.
    EXPECT_EQ(Entries(card.folder), (QStringList{NormalName(99999), QStringLiteral("link.txt"), QStringLiteral("notes.txt")}));
    EXPECT_EQ(ReadAll(card.outside).size(), 20);
    EXPECT_FALSE(AnyListedFileIn(card.folder, scan.AllNames()));
}

TEST(DeleteJob, AFolderNamedLikeARecordingIsReportedAndKept)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 1, 0);
    JobProgress progress;
    const JobOutcome out = DeleteRecordings(card.folder, {NormalName(99999), NormalName(0)}, progress);
    ASSERT_EQ(out.errors.size(), 1u);
    EXPECT_EQ(out.errors[0].name, NormalName(99999));
    EXPECT_TRUE(QFileInfo(card.folder + QLatin1Char('/') + NormalName(99999)).isDir());
    EXPECT_FALSE(QFile::exists(card.folder + QLatin1Char('/') + NormalName(0)));
}

TEST(DeleteJob, StopsAfterTheFileInHand)
{
    QTemporaryDir tmp;
    const Card card = Card::Make(tmp.path(), 5, 0);
    JobProgress progress;
    progress.stopRequested = true;
    const JobOutcome out = DeleteRecordings(card.folder, card.recordings, progress);
    EXPECT_TRUE(out.stopped);
    EXPECT_EQ(progress.done.load(), 1);
    EXPECT_FALSE(QFile::exists(card.folder + QLatin1Char('/') + NormalName(0)));
    EXPECT_TRUE(QFile::exists(card.folder + QLatin1Char('/') + NormalName(1)));
}

TEST(DeleteJob, AMissingFolderEndsAtOnce)
{
    JobProgress progress;
    const JobOutcome out = DeleteRecordings(QStringLiteral("/nonexistent/card"), {NormalName(0)}, progress);
    EXPECT_TRUE(out.sourceGone);
    EXPECT_EQ(out.errors.size(), 1u);
}

TEST(Verdict, ARecordingCountsOnlyWithTheSourcesSize)
{
    QTemporaryDir tmp;
    WriteFile(tmp.path() + QLatin1Char('/') + NormalName(0), 100);
    WriteFile(tmp.path() + QLatin1Char('/') + NormalName(1), 99);
    QDir().mkpath(tmp.path() + QLatin1Char('/') + NormalName(2));
    const QStringList names{NormalName(0), NormalName(1), NormalName(2), NormalName(3)};
    EXPECT_EQ(MissingFrom(tmp.path(), names, {100, 100, 0, -1}), (QStringList{NormalName(1), NormalName(2), NormalName(3)}));
    EXPECT_TRUE(AllListedFilesIn(tmp.path(), {}, {}));
    EXPECT_TRUE(AnyListedFileIn(tmp.path(), names));
    EXPECT_FALSE(AnyListedFileIn(tmp.path(), {NormalName(2), NormalName(3)}));  // a folder does not count
}

struct DestinationCase {
    const char* what;
    QString folder;  // relative to the temporary folder unless absolute
    std::optional<std::uint64_t> free;
    std::uint64_t needed;
    DestinationCheck expected;
};

TEST(Destination, ChecksInTheOrderOfTheDialogsMessages)
{
    QTemporaryDir tmp;
    WriteFile(tmp.path() + QStringLiteral("/file"), 1);
    const DestinationCase cases[] = {
        {"empty", QString(), 100, 1, DestinationCheck::NotAFolder},
        {"relative", QStringLiteral("relative/dir"), 100, 1, DestinationCheck::NotAFolder},
        {"missing", tmp.path() + QStringLiteral("/missing"), 100, 1, DestinationCheck::NotAFolder},
        {"a file", tmp.path() + QStringLiteral("/file"), 100, 1, DestinationCheck::NotAFolder},
        {"no figure", tmp.path(), std::nullopt, 1, DestinationCheck::SpaceUnknown},
        {"one short", tmp.path(), 99, 100, DestinationCheck::TooSmall},
        {"equal is enough", tmp.path(), 100, 100, DestinationCheck::Ok},
        {"plenty", tmp.path(), 1000, 100, DestinationCheck::Ok},
    };
    for (const DestinationCase& c : cases) {
        SetFreeSpaceProbeForTesting([&c](const QString&) { return c.free; });
        EXPECT_EQ(CheckDestination(c.folder, c.needed).result, c.expected) << c.what;
    }
    SetFreeSpaceProbeForTesting(nullptr);
}

TEST(Destination, NeverTheCardFolderOrAFolderInsideIt)
{
    QTemporaryDir tmp;
    const QString card = tmp.path() + QStringLiteral("/card");
    QDir().mkpath(card + QStringLiteral("/sub"));
    QDir().mkpath(tmp.path() + QStringLiteral("/cardboard"));
    QFile::link(card + QStringLiteral("/sub"), tmp.path() + QStringLiteral("/alias"));
    SetFreeSpaceProbeForTesting([](const QString&) { return std::uint64_t(1) << 30; });
    EXPECT_EQ(CheckDestination(card, 1, card).result, DestinationCheck::InsideCard);
    EXPECT_EQ(CheckDestination(card + QStringLiteral("/sub"), 1, card).result, DestinationCheck::InsideCard);
    EXPECT_EQ(CheckDestination(tmp.path() + QStringLiteral("/alias"), 1, card).result, DestinationCheck::InsideCard);
    EXPECT_EQ(CheckDestination(tmp.path() + QStringLiteral("/cardboard"), 1, card).result, DestinationCheck::Ok);
    EXPECT_EQ(CheckDestination(tmp.path(), 1, card).result, DestinationCheck::Ok);
    SetFreeSpaceProbeForTesting(nullptr);
}

TEST(Destination, SpaceIsWhatAUserMayWriteNotTheBlocksKeptForRoot)
{
    QTemporaryDir tmp;
    struct statvfs vfs {};
    ASSERT_EQ(statvfs(Native(tmp.path()).c_str(), &vfs), 0);
    const std::uint64_t userBytes = std::uint64_t(vfs.f_bavail) * vfs.f_frsize;
    const auto measured = posixfs::AvailableBytes(tmp.path(), nullptr);
    ASSERT_TRUE(measured.has_value());
    // The two readings are moments apart on a shared disk: allow a little drift.
    EXPECT_NEAR(double(*measured), double(userBytes), 64.0 * 1024 * 1024);
    if (vfs.f_bfree > vfs.f_bavail + 1024 * 1024) {
        EXPECT_LT(*measured, std::uint64_t(vfs.f_bfree) * vfs.f_frsize);
    }
    EXPECT_EQ(CheckDestination(tmp.path(), *measured / 2).result, DestinationCheck::Ok);
}

TEST(Destination, LabelAndDatedFolder)
{
    BackupDestination d;
    EXPECT_FALSE(d.OkEnabled());
    ChooseDestination(d, QStringLiteral("/media/usb/Backup/"));
    EXPECT_EQ(d.destinationFolder, QStringLiteral("/media/usb/Backup"));
    EXPECT_EQ(d.Label(), QStringLiteral("Backup"));
    EXPECT_TRUE(d.OkEnabled());
    ChooseDestination(d, QString());  // cancelled: nothing changes
    EXPECT_EQ(d.Label(), QStringLiteral("Backup"));
    ChooseDestination(d, QStringLiteral("/"));
    EXPECT_EQ(d.Label(), QString());
    EXPECT_FALSE(d.OkEnabled());
    ChooseDestination(d, QStringLiteral("/x"));
    EXPECT_FALSE(d.OkEnabled());  // one character is too short

    const QDateTime t(QDate(2024, 2, 29), QTime(7, 5, 9));
    EXPECT_EQ(DatedFolderName(t), QStringLiteral("20240229070509"));
    EXPECT_EQ(DatedFolderPath(QStringLiteral("/media/usb"), t), QStringLiteral("/media/usb/20240229070509"));
    EXPECT_EQ(DatedFolderPath(QStringLiteral("/"), t), QStringLiteral("/20240229070509"));
}

TEST(Destination, DatedFolderStates)
{
    QTemporaryDir tmp;
    const QString dated = tmp.path() + QStringLiteral("/20240101000000");
    const QStringList names{NormalName(0)};
    EXPECT_EQ(PrepareDatedFolder(dated, names, nullptr), DatedFolderState::Created);
    EXPECT_EQ(PrepareDatedFolder(dated, names, nullptr), DatedFolderState::ExistsClean);
    WriteFile(dated + QLatin1Char('/') + NormalName(0), 5);
    EXPECT_EQ(PrepareDatedFolder(dated, names, nullptr), DatedFolderState::ExistsWithListed);
    QString error;
    EXPECT_EQ(PrepareDatedFolder(tmp.path() + QStringLiteral("/no/such/20240101000000"), names, &error),
              DatedFolderState::CannotCreate);
    EXPECT_FALSE(error.isEmpty());
}


// Names kept as bytes (the card scan's form): a name with a stray 0xFF byte is copied and
// deleted as itself, and a decoy named with U+FFFD in its place is never taken for it.
TEST(Jobs, ANameThatIsNotUtf8IsCopiedAndDeletedAsItsOwnBytes)
{
    QTemporaryDir tmp;
    // QTemporaryDir cannot remove names it cannot decode: the folder goes by its bytes.
    const auto removeFolder = qScopeGuard([&] { std::filesystem::remove_all(QFile::encodeName(tmp.path()).toStdString()); });
    const std::string card = QFile::encodeName(tmp.path()).toStdString() + "/card";
    const std::string target = QFile::encodeName(tmp.path()).toStdString() + "/target";
    std::filesystem::create_directories(card);
    std::filesystem::create_directories(target);
    const std::string odd = "2025061408\xFF" "000.MP4";
    const std::string decoy = "2025061408\xEF\xBF\xBD" "000.MP4";
    std::ofstream(card + "/" + odd, std::ios::binary) << std::string(6000, 'b');
    std::ofstream(card + "/" + decoy, std::ios::binary) << std::string(7000, 'c');
    const QString oddName = DecodeFileNameBytes(QByteArray::fromStdString(odd));
    const QString cardFolder = DecodeFileNameBytes(QByteArray::fromStdString(card));

    JobProgress copying;
    const JobOutcome copied =
        CopyRecordings(cardFolder, DecodeFileNameBytes(QByteArray::fromStdString(target)), {oddName}, copying);
    EXPECT_TRUE(copied.errors.empty()) << SummarizeErrors(copied.errors).toStdString();
    std::ifstream in(target + "/" + odd, std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), std::string(6000, 'b'));
    EXPECT_FALSE(std::filesystem::exists(target + "/" + decoy));

    JobProgress deleting;
    const JobOutcome deleted = DeleteRecordings(cardFolder, {oddName}, deleting);
    EXPECT_TRUE(deleted.errors.empty()) << SummarizeErrors(deleted.errors).toStdString();
    EXPECT_FALSE(std::filesystem::exists(card + "/" + odd)) << "the recording is still on the card";
    EXPECT_TRUE(std::filesystem::exists(card + "/" + decoy)) << "the decoy was deleted in its place";
}

} // namespace
} // namespace korvane
