// The thumbnail pass end to end with the real ffmpeg: folder scan, pictures, captions, bars,
// the over-limit notice, the scan report.
#include "library/library_texts.h"
#include "library/recording_library.h"
#include "library/repaired_copy.h"
#include "library/thumbnail_tool.h"
#include "library/working_folder.h"
#include "test_host.h"
#include "test_recordings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

using namespace korvane;
using namespace korvane::test;

namespace {
// A stand-in for a tool that hangs after starting to write its picture: the real ffmpeg
// cannot be made to hang on demand.
bool WriteHangingTool(const QString& path)
{
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return false;
    script.write("#!/bin/sh\nfor last; do :; done\necho partial > \"${last#file:}\"\nexec sleep 1000\n");
    script.close();
    return script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

class ThumbnailPassTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(SmallMp4().isEmpty()) << "ffmpeg could not make the test recording";
        SetMessageSink(&messages);
        library = std::make_unique<RecordingLibrary>(host, 1.0, &host.window);
        library->SetFolders(program.path(), root.path());
        ASSERT_TRUE(library->PrepareWorkingFolder(cache.path()));
    }
    void TearDown() override
    {
        library.reset();
        SetMessageSink(nullptr);
    }

    // Opens the folder and runs the event loop until the pass has ended.
    void RunPass(const QString& folder, int timeoutMs = 120000)
    {
        library->OpenRecordingFolder(folder);
        ASSERT_TRUE(WaitFor([&] { return host.menus.contains(true); }, timeoutMs)) << "the pass did not end";
    }

    QByteArray Report()
    {
        QFile f(library->Catalogue().workingFolder + "/FileReport.log");
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        return f.readAll();
    }

    void ExpectShownCellsComplete(int group)
    {
        const QStringList& shown = library->Catalogue().Shown(group);
        ThumbnailGrid& grid = library->Grid(group);
        for (int i = 0; i < grid.Cells().size(); ++i) {
            ThumbnailCell* c = grid.Cell(i);
            if (i < shown.size()) {
                EXPECT_FALSE(c->IsEmpty()) << i;
                EXPECT_FALSE(c->isHidden()) << i;
                EXPECT_EQ(c->FileName(), shown[i]);
                EXPECT_FALSE(c->Image()->pixmap().isNull());
                EXPECT_EQ(c->Caption()->text(), QString(CaptionForName(shown[i])).replace("\r\n", "\n"));
                EXPECT_TRUE(QFile::exists(ThumbnailPath(library->Catalogue().workingFolder, shown[i])));
            } else {
                EXPECT_TRUE(c->IsEmpty()) << i;
            }
        }
    }

    TestHost host;
    RecordingMessages messages;
    QTemporaryDir cache, program, root;
    std::unique_ptr<RecordingLibrary> library;
};
} // namespace

TEST_F(ThumbnailPassTest, FillsBothGridsListsBadFilesAndEnds)
{
    const QString d = root.path() + "/card";
    ASSERT_TRUE(QDir().mkpath(d));
    QStringList normal, event;
    for (int i = 0; i < 7; ++i)
        normal << StampName(i * 60, i % 2 ? "H" : "");
    event << StampName(5, "G") << StampName(1, "G");
    ASSERT_TRUE(CopyRecordings(d, normal + event));
    // A file the tool cannot read, named like a recording.
    QFile bad(d + "/" + StampName(3));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write(QByteArray(4000, 'x'));
    bad.close();

    RunPass(d);
    const RecordingCatalogue& c = library->Catalogue();
    EXPECT_EQ(c.normalFiles.size(), 8);
    EXPECT_EQ(c.normalShown.size(), 7);
    EXPECT_EQ(c.normalMissing, QStringList{StampName(3)});
    EXPECT_EQ(c.eventShown, (QStringList{StampName(1, "G"), StampName(5, "G")}));
    EXPECT_TRUE(c.eventMissing.isEmpty());
    ExpectShownCellsComplete(kGroupNormal);
    ExpectShownCellsComplete(kGroupEvent);
    EXPECT_EQ(library->Pass().CurrentPhase(), ThumbnailPass::kPhaseFinished);
    EXPECT_EQ(library->Pass().CountThumbnailProcesses(), 0);

    // 7 shown cells: 3 rows, the Normal thumb shows with range 2; 2 Event cells: no bar.
    EXPECT_FALSE(library->View(kGroupNormal).BarWidget()->Thumb()->isHidden());
    EXPECT_EQ(library->View(kGroupNormal).Bar().maxValue, 2);
    EXPECT_TRUE(library->View(kGroupEvent).BarWidget()->Thumb()->isHidden());
    EXPECT_EQ(library->View(kGroupEvent).Bar().maxValue, 0);
    EXPECT_EQ(library->View(kGroupNormal).Bar().position, 0);

    EXPECT_EQ(Report(), QByteArray("Path : ") + QFile::encodeName(d) +
                            "\r\nTotal : 10\r\nNormal File : 7\r\nBad Normal File : 1\r\nEvent File : 2\r\n"
                            "Bad Event File : 0\r\n----------Bad Normal File --------------\r\n" +
                            StampName(3).toLatin1() + "\r\n\r\n");
    EXPECT_TRUE(host.busy.Settling(BusyReason::LoadingFolder));
    EXPECT_EQ(host.menus, QList<bool>{true});
    EXPECT_TRUE(host.notices.isEmpty());
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(c.currentGroup, kGroupNormal);
    // Nothing but the recordings in the recording folder.
    EXPECT_EQ(QDir(d).entryList(QDir::Files | QDir::Hidden).size(), 10);
}

TEST_F(ThumbnailPassTest, MoreThan240RecordingsShow240AndTheNotice)
{
    const QString d = root.path();
    QStringList names;
    for (int i = 0; i < 241; ++i)
        names << StampName(i);
    ASSERT_TRUE(CopyRecordings(d, names));
    // Most pictures are there already (as after an earlier pass); the tool makes the last 13.
    QProcess tool;
    const QString first = ThumbnailPath(library->Catalogue().workingFolder, names[0]);
    tool.start("ffmpeg", ThumbnailToolArguments(d + "/" + names[0], first));
    ASSERT_TRUE(tool.waitForFinished(30000));
    for (int i = 1; i < 228; ++i)
        ASSERT_TRUE(QFile::copy(first, ThumbnailPath(library->Catalogue().workingFolder, names[i])));
    RunPass(d, 240000);
    const RecordingCatalogue& c = library->Catalogue();
    EXPECT_EQ(c.normalShown.size(), 240);
    EXPECT_EQ(c.normalShown.last(), StampName(239));
    EXPECT_TRUE(c.normalMissing.isEmpty());
    ASSERT_EQ(host.notices.size(), 1);
    EXPECT_EQ(host.notices[0], LibraryText("Main.Info.OverMaxFile.Caption") + "|" +
                                   LibraryText("Main.Info.Over240MaxFile.Caption"));
    ExpectShownCellsComplete(kGroupNormal);
    EXPECT_EQ(library->View(kGroupNormal).Bar().maxValue, 79);
    EXPECT_TRUE(Report().startsWith(QByteArray("Path : ") + QFile::encodeName(d) + "\r\nTotal : 240\r\n"));
}

TEST_F(ThumbnailPassTest, EmptyFolderEndsAtOnceWithAZeroReport)
{
    RunPass(root.path(), 5000);
    EXPECT_EQ(Report(), QByteArray("Path : ") + QFile::encodeName(root.path()) +
                            "\r\nTotal : 0\r\nNormal File : 0\r\nBad Normal File : 0\r\nEvent File : 0\r\n"
                            "Bad Event File : 0\r\n");
    EXPECT_TRUE(messages.texts.isEmpty());
    EXPECT_EQ(library->Catalogue().currentGroup, kGroupNormal);
}

TEST_F(ThumbnailPassTest, PathWithSpacesAndShellCharacters)
{
    const QString d = root.path() + "/my card; $(touch pwned) & 'x' \"y\" `z` *";
    ASSERT_TRUE(QDir().mkpath(d));
    const QStringList names{StampName(0), StampName(1, "G")};
    ASSERT_TRUE(CopyRecordings(d, names));
    RunPass(d);
    EXPECT_EQ(library->Catalogue().normalShown, QStringList{StampName(0)});
    EXPECT_EQ(library->Catalogue().eventShown, QStringList{StampName(1, "G")});
    ExpectShownCellsComplete(kGroupNormal);
    // No tool copy, no batch file, nothing a shell would have made.
    EXPECT_EQ(QDir(d).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).size(), 2);
    EXPECT_FALSE(QFile::exists(root.path() + "/pwned"));
    EXPECT_FALSE(QFile::exists(QDir::currentPath() + "/pwned"));
}

TEST_F(ThumbnailPassTest, OnlyEventRecordingsSelectTheEventGridAtTheEnd)
{
    ASSERT_TRUE(CopyRecordings(root.path(), {StampName(0, "G")}));
    RunPass(root.path());
    EXPECT_EQ(library->Catalogue().currentGroup, kGroupEvent);
    EXPECT_TRUE(library->View(kGroupNormal).ScrollBox()->isHidden());
    EXPECT_FALSE(library->View(kGroupEvent).ScrollBox()->isHidden());
}

TEST_F(ThumbnailPassTest, MissingToolShowsError6003OncePerGroup)
{
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(root.path() + "/no-tools-here"));
    ASSERT_TRUE(CopyRecordings(root.path(), {StampName(0), StampName(1), StampName(2, "G")}));
    RunPass(root.path(), 10000);
    qputenv("PATH", path);
    EXPECT_EQ(messages.texts, (QStringList{"ERROR 0x6003", "ERROR 0x6003"}));
    EXPECT_EQ(messages.captions, (QStringList{"GoogleMap", "GoogleMap"}));
    const RecordingCatalogue& c = library->Catalogue();
    EXPECT_TRUE(c.normalShown.isEmpty());
    EXPECT_TRUE(c.normalMissing.isEmpty());  // not counted as missing
    EXPECT_TRUE(Report().contains("Total : 0\r\n"));
}

TEST_F(ThumbnailPassTest, ExistingThumbnailsAreNotMadeAgain)
{
    ASSERT_TRUE(CopyRecordings(root.path(), {StampName(0)}));
    // A picture already in the working folder (any readable image) is used as it is.
    QImage red(80, 60, QImage::Format_RGB32);
    red.fill(Qt::red);
    const QString bmp = ThumbnailPath(library->Catalogue().workingFolder, StampName(0));
    ASSERT_TRUE(red.save(bmp, "BMP"));
    const auto before = QFileInfo(bmp).lastModified();
    RunPass(root.path());
    EXPECT_EQ(library->Catalogue().normalShown, QStringList{StampName(0)});
    EXPECT_EQ(QFileInfo(bmp).lastModified(), before);
}

TEST_F(ThumbnailPassTest, ToolThatNeverFinishesIsKilledAndThePassGoesOn)
{
    const QString tool = program.path() + "/hanging-tool";
    ASSERT_TRUE(WriteHangingTool(tool));
    library->Pass().SetToolOverride(tool);
    library->Pass().SetProcessWaitLimit(3);
    ASSERT_TRUE(CopyRecordings(root.path(), {StampName(0), StampName(1, "G")}));
    RunPass(root.path(), 60000);
    const RecordingCatalogue& c = library->Catalogue();
    EXPECT_EQ(c.normalMissing, QStringList{StampName(0)});
    EXPECT_EQ(c.eventMissing, QStringList{StampName(1, "G")});
    EXPECT_TRUE(c.normalShown.isEmpty());
    EXPECT_FALSE(QFile::exists(ThumbnailPath(c.workingFolder, StampName(0))));  // no half-made picture
    EXPECT_EQ(library->Pass().CountThumbnailProcesses(), 0);
    EXPECT_TRUE(Report().contains("Bad Normal File : 1\r\nEvent File : 0\r\nBad Event File : 1\r\n"));
}

namespace {
// Writes the first `keep` bytes of `source` to `output` with the top-level mdat's size set to 0,
// as a camera leaves a recording when its power is cut.
bool CutLikePowerLoss(const QString& source, const QString& output, qint64 keep)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = in.read(keep);
    for (qint64 pos = 0; pos + 8 <= bytes.size();) {
        const quint32 size = quint32(uchar(bytes[pos])) << 24 | quint32(uchar(bytes[pos + 1])) << 16 |
                             quint32(uchar(bytes[pos + 2])) << 8 | quint32(uchar(bytes[pos + 3]));
        if (bytes.mid(pos + 4, 4) == "mdat") {
            bytes.replace(pos, 4, QByteArray(4, '\0'));
            QFile out(output);
            return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
        }
        if (size < 8)
            return false;
        pos += size;
    }
    return false;
}
} // namespace

// A cut recording keeps its place with the damaged picture; bytes that are no recording at all
// stay left out; the double click on the cut one asks for the repair until a repaired copy exists.
TEST_F(ThumbnailPassTest, ACutRecordingKeepsItsCellWithTheDamagedPicture)
{
    const QString d = root.path() + "/cut";
    ASSERT_TRUE(QDir().mkpath(d));
    ASSERT_TRUE(CopyRecordings(d, {StampName(0), StampName(2)}));
    ASSERT_TRUE(CutLikePowerLoss(SmallMp4(), d + "/" + StampName(1), QFileInfo(SmallMp4()).size() / 2));
    QFile junk(d + "/" + StampName(3));
    ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
    junk.write(QByteArray(4096, '\x5a'));
    junk.close();

    RunPass(d);
    const RecordingCatalogue& c = library->Catalogue();
    EXPECT_EQ(c.normalShown, (QStringList{StampName(0), StampName(1), StampName(2)}));
    EXPECT_EQ(c.normalDamaged, QStringList{StampName(1)});
    EXPECT_EQ(c.normalMissing, QStringList{StampName(3)});
    ThumbnailCell* cut = library->Grid(kGroupNormal).Cell(1);
    EXPECT_TRUE(cut->IsDamaged());
    EXPECT_FALSE(library->Grid(kGroupNormal).Cell(0)->IsDamaged());
    EXPECT_EQ(cut->Caption()->text(), QString(CaptionForName(StampName(1))).replace("\r\n", "\n"));
    EXPECT_NE(cut->Image()->pixmap().toImage(), library->Grid(kGroupNormal).Cell(3)->Image()->pixmap().toImage());

    QList<RecordingRef> repairs, plays;
    QObject::connect(library.get(), &RecordingLibrary::damagedRecordingActivated, [&](const RecordingRef& r) { repairs << r; });
    QObject::connect(library.get(), &RecordingLibrary::recordingActivated, [&](const RecordingRef& r) { plays << r; });
    library->CellDoubleClicked(cut);
    const RecordingRef ref = library->RefOf(cut);
    EXPECT_EQ(repairs, QList<RecordingRef>{ref});
    EXPECT_TRUE(plays.isEmpty());
    EXPECT_TRUE(library->PlayablePathOf(ref).isEmpty());
    // Continuous play passes over it while it has no repaired copy.
    const RecordingRef first = library->RefOf(library->Grid(kGroupNormal).Cell(0));
    const RecordingRef last = library->RefOf(library->Grid(kGroupNormal).Cell(2));
    EXPECT_EQ(library->NextRecording(first), last);

    // Once its repaired copy is in the working folder, the cell plays that copy.
    const QString repaired = c.workingFolder + "/" + RecordingStem(StampName(1)) + "_repaired.MP4";
    EXPECT_EQ(library->RepairedPathOf(ref), repaired);
    ASSERT_TRUE(QFile::copy(SmallMp4(), repaired));
    ASSERT_TRUE(WriteSourceRecord(repaired, *FingerprintOf(library->MediaPathOf(ref))));
    library->CellDoubleClicked(cut);
    EXPECT_EQ(plays, QList<RecordingRef>{ref});
    EXPECT_EQ(library->PlayablePathOf(ref), repaired);
    EXPECT_EQ(library->NextRecording(first), ref);
    // The working folder's purge leaves the repaired copy alone.
    PurgeWorkingFolder(c.workingFolder);
    EXPECT_TRUE(QFile::exists(repaired));
    EXPECT_TRUE(QFile::exists(SourceRecordPath(repaired)));
}

// A working folder that takes no files (the disk is full): no tool is started, every recording
// is shown with a plain picture, and the viewer is told once, not for every folder opened.
TEST_F(ThumbnailPassTest, AFullWorkingFolderShowsEveryRecordingWithAPlainPictureAndSaysSoOnce)
{
    const QString d = root.path() + "/card";
    ASSERT_TRUE(QDir().mkpath(d));
    const QStringList normal = {StampName(0), StampName(60)};
    const QStringList event = {StampName(5, "G")};
    ASSERT_TRUE(CopyRecordings(d, normal + event));
    const QString work = library->Catalogue().workingFolder;
    bool mounted = false;
    if (geteuid() == 0) {
        // A filesystem of its own, filled to the last block.
        mounted = mount("tmpfs", QFile::encodeName(work).constData(), "tmpfs", 0, "size=64k") == 0;
        ASSERT_TRUE(mounted) << strerror(errno);
        QFile fill(work + "/fill");
        ASSERT_TRUE(fill.open(QIODevice::WriteOnly));
        while (fill.write(QByteArray(4096, 'x')) > 0 && fill.flush()) {
        }
    } else {
        ASSERT_TRUE(QFile::setPermissions(work, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    }
    int said = 0;
    QObject::connect(library.get(), &RecordingLibrary::thumbnailsUnavailable, [&] { ++said; });

    for (int pass = 0; pass < 2; ++pass) {
        RunPass(d);
        host.menus.clear();
        const RecordingCatalogue& c = library->Catalogue();
        EXPECT_EQ(c.normalShown, normal);
        EXPECT_EQ(c.eventShown, event);
        EXPECT_TRUE(c.normalMissing.isEmpty());
        EXPECT_TRUE(c.eventMissing.isEmpty());
        for (int i = 0; i < 2; ++i) {
            ThumbnailCell* cell = library->Grid(kGroupNormal).Cell(i);
            EXPECT_FALSE(cell->isHidden());
            EXPECT_EQ(cell->FileName(), normal[i]);
            EXPECT_FALSE(cell->Image()->pixmap().isNull());
        }
    }
    EXPECT_EQ(said, 1);
    EXPECT_TRUE(messages.texts.isEmpty());

    if (mounted)
        EXPECT_EQ(umount2(QFile::encodeName(work).constData(), MNT_DETACH), 0);
    else
        QFile::setPermissions(work, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

// A folder with none of the camera's names but another camera's card: its moments' cells with
// real pictures, their time and the small letters of the other channels, the moment's side-car
// on the card; the card stays untouched and every picture lands in the working folder itself.
TEST_F(ThumbnailPassTest, AnotherCamerasCardShowsItsMomentsWithTheirChannels)
{
    const QString d = root.path() + "/card";
    ASSERT_TRUE(QDir().mkpath(d + "/DCIM/Movie/RO"));
    ASSERT_TRUE(CopyRecordings(d + "/DCIM/Movie", {"2023_0101_120000_0001F.MP4", "2023_0101_120001_0001R.MP4",
                                                   "2023_0101_120100_0002F.MP4"}));
    ASSERT_TRUE(CopyRecordings(d + "/DCIM/Movie/RO", {"2023_0101_115900_0003F.MP4"}));
    QFile sidecar(d + "/DCIM/Movie/2023_0101_120000_0001.gps");
    ASSERT_TRUE(sidecar.open(QIODevice::WriteOnly));
    sidecar.close();

    RunPass(d);
    const RecordingCatalogue& c = library->Catalogue();
    EXPECT_EQ(c.normalShown, (QStringList{"DCIM/Movie/2023_0101_120000_0001F.MP4", "DCIM/Movie/2023_0101_120100_0002F.MP4"}));
    EXPECT_EQ(c.eventShown, QStringList{"DCIM/Movie/RO/2023_0101_115900_0003F.MP4"});
    EXPECT_EQ(library->Grid(kGroupNormal).Cell(0)->Caption()->text(), "2023.01.01\n12:00:00 r");
    EXPECT_EQ(library->Grid(kGroupNormal).Cell(1)->Caption()->text(), "2023.01.01\n12:01:00");
    EXPECT_EQ(library->Grid(kGroupEvent).Cell(0)->Caption()->text(), "2023.01.01\n11:59:00");
    for (int g : {kGroupNormal, kGroupEvent})
        for (int i = 0; i < c.Shown(g).size(); ++i) {
            EXPECT_FALSE(library->Grid(g).Cell(i)->Image()->pixmap().isNull());
            EXPECT_TRUE(QFile::exists(ThumbnailPath(c.workingFolder, c.Shown(g)[i])));
        }
    const RecordingRef first = library->RefOf(library->Grid(kGroupNormal).Cell(0));
    EXPECT_EQ(library->MediaPathOf(first), d + "/DCIM/Movie/2023_0101_120000_0001F.MP4");
    EXPECT_EQ(library->SidecarPathOf(first), d + "/DCIM/Movie/2023_0101_120000_0001.gps");
    EXPECT_EQ(library->SidecarPathOf(library->RefOf(library->Grid(kGroupNormal).Cell(1))), "");
    EXPECT_TRUE(QDir(c.workingFolder).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
    EXPECT_EQ(QDir(d + "/DCIM/Movie").entryList(QDir::Files).size(), 4);
}

// A repaired recording's picture is made outside the batches, by the pass's own tool (the
// override included) and ended with the pass: a hanging tool leaves no process and no
// half-written picture once the folder changes.
TEST_F(ThumbnailPassTest, ASinglePictureUsesThePassToolAndEndsWithThePass)
{
    const QString picture = cache.path() + "/single.bmp";
    bool done = false;
    library->Pass().MakeSinglePicture(SmallMp4(), picture, [&] { done = true; });
    ASSERT_TRUE(WaitFor([&] { return done; }, 60000));
    EXPECT_TRUE(IsUsableThumbnail(picture));
    EXPECT_EQ(library->Pass().CountSinglePictureProcesses(), 0);

    const QString tool = program.path() + "/hanging-tool";
    ASSERT_TRUE(WriteHangingTool(tool));
    library->Pass().SetToolOverride(tool);
    const QString hung = cache.path() + "/hung.bmp";
    done = false;
    library->Pass().MakeSinglePicture(SmallMp4(), hung, [&] { done = true; });
    ASSERT_TRUE(WaitFor([&] { return QFile::exists(hung); }, 30000)) << "the override was not used";
    EXPECT_EQ(library->Pass().CountSinglePictureProcesses(), 1);
    library->Pass().Stop();
    EXPECT_EQ(library->Pass().CountSinglePictureProcesses(), 0);
    EXPECT_FALSE(QFile::exists(hung));
    EXPECT_FALSE(done);
}
