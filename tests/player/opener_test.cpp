// Opening recordings on the offscreen platform: the double click and its delay, recordings that
// have gone or cannot be launched, telemetry that cannot be read, and a new folder. The kernel
// executable is /bin/true, so no kernel ever becomes ready.
#include "library/cell_layout.h"
#include "library/library_texts.h"
#include "library/recording_library.h"
#include "player/playback_channel.h"
#include "player/playback_controller.h"
#include "platform/message_box.h"
#include "player/player_host.h"
#include "player/recording_opener.h"
#include "player/transport_bar.h"
#include "dialog_answer.h"
#include "test_host.h"
#include "test_recordings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace korvane;
using namespace korvane::test;

namespace {
class OpenerHost : public TestHost, public PlayerHost {
public:
    // The opener's reason, as the viewer keeps it.
    bool ViewerIdle() const override { return busy.IsIdle(); }
    void SetViewerIdle(bool v) override
    {
        if (v)
            busy.Clear(BusyReason::OpeningRecording);
        else
            busy.Set(BusyReason::OpeningRecording);
    }
    void StartProcessFinish() override
    {
        ++processFinish;
        busy.ClearAfterSettling(BusyReason::OpeningRecording);
    }
    bool QuitConfirmed() const override { return false; }
    void ReportPlaybackFailed(const PlaybackChannel&) override { ++failures; }
    void ReportPlaybackLost(const PlaybackChannel&) override { ++failures; }
    // Shown as the viewer shows it, so that the test's message sink sees it.
    void ReportOpenFailed(const QString& caption, const QString& text) override
    {
        ShowMessageBox(caption, text, BoxIcon::Warning);
    }
    int failures = 0;
    int processFinish = 0;
};

class OpenerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetKernelExecutable("/bin/true");
        SetMessageSink(&messages);
        library = std::make_unique<RecordingLibrary>(host, 1.0, &host.window);
        library->SetFolders(root.path(), root.path());
        ASSERT_TRUE(library->PrepareWorkingFolder(cache.path()));
        library->Catalogue().recordingFolder = root.path();
        buttons = new TransportBar(&host.window);
        player = std::make_unique<PlaybackController>(host, *buttons, *library);
        SetUpChannel(player->Channel(0), 0, nullptr, nullptr, &slotA);
        SetUpChannel(player->Channel(1), 1, nullptr, nullptr, &slotB);
        for (PlaybackChannel* c : {&player->Channel(0), &player->Channel(1)})
            c->callerName = "Korvane";
        states = std::make_unique<QSignalSpy>(player.get(), &PlaybackController::playStateChanged);
        resets = std::make_unique<QSignalSpy>(player.get(), &PlaybackController::playerReset);
        host.window.resize(800, 600);
        host.window.show();
    }
    void TearDown() override
    {
        player.reset();
        library.reset();
        EndLaunchedKernels(1000);
        SetKernelExecutable(QString());
        SetMessageSink(nullptr);
    }

    // Shows `count` recordings of a group as the thumbnail pass would, with a real picture.
    void Fill(int group, int count, bool makeFiles = true)
    {
        QImage picture(80, 60, QImage::Format_RGB32);
        picture.fill(Qt::darkCyan);
        QStringList& shown = library->Catalogue().Shown(group);
        for (int i = 0; i < count; ++i) {
            const QString name = StampName(i, group == kGroupEvent ? "G" : "");
            const QString bmp = ThumbnailPath(library->Catalogue().workingFolder, name);
            ASSERT_TRUE(picture.save(bmp, "BMP"));
            if (makeFiles) {
                QFile f(root.path() + "/" + name);
                ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            }
            library->Catalogue().Files(group).append(name);
            shown.append(name);
            ShowThumbnail(library->Grid(group), shown, bmp);
            library->View(group).UpdateForShownCount(int(shown.size()));
        }
    }

    ThumbnailCell* Cell(int group, int i) { return library->Grid(group).Cell(i); }
    RecordingRef Ref(int i) { return library->RefOf(Cell(kGroupNormal, i)); }
    int Count(const QSignalSpy& spy, PlayState state)
    {
        int n = 0;
        for (const QList<QVariant>& args : spy)
            n += args[0].value<PlayState>() == state;
        return n;
    }
    QList<QPair<bool, bool>> Resets()
    {
        QList<QPair<bool, bool>> out;
        for (const QList<QVariant>& args : *resets)
            out << qMakePair(args[0].toBool(), args[1].toBool());
        return out;
    }

    OpenerHost host;
    RecordingMessages messages;
    QTemporaryDir cache, root;
    KernelSlot slotA{}, slotB{};
    std::unique_ptr<RecordingLibrary> library;
    TransportBar* buttons = nullptr;
    std::unique_ptr<PlaybackController> player;
    std::unique_ptr<QSignalSpy> states, resets;
};
} // namespace

TEST_F(OpenerTest, DoubleClickOpensAfterFiveTicksOnceAndPlaysALoadedRecording)
{
    Fill(kGroupNormal, 3);
    library->CellDoubleClicked(Cell(kGroupNormal, 0));
    library->CellDoubleClicked(Cell(kGroupNormal, 1));  // within half a second: loads once, the latest
    EXPECT_EQ(Cell(kGroupNormal, 1)->CaptionColor(), QColor(255, 0, 0));
    EXPECT_EQ(player->Selected(), Ref(1));
    EXPECT_EQ(Count(*states, PlayState::Stopped), 1);
    EXPECT_EQ(Resets(), (QList<QPair<bool, bool>>{{true, false}}));  // video, telemetry, buttons; maps stay
    ASSERT_TRUE(WaitFor([&] { return player->OpenCount() > 0; }, 3000));
    player->StopWaitingForKernel();  // no kernel of /bin/true ever becomes ready
    EXPECT_EQ(player->OpenCount(), 1);
    EXPECT_FALSE(host.busy.IsIdle());
    EXPECT_EQ(player->Channel(0).ref, Ref(1));
    EXPECT_EQ(player->Channel(0).mediaPath, root.path() + "/" + StampName(1));
    EXPECT_FALSE(Cell(kGroupNormal, 0)->IsReady());  // grids busy while loading

    // The player has started it and the viewer is idle again: a double click on it plays.
    host.busy.Clear(BusyReason::OpeningRecording);
    library->SetGridsReady(true);
    library->CellDoubleClicked(Cell(kGroupNormal, 1));
    player->StopTick();
    EXPECT_EQ(Count(*states, PlayState::Playing), 1);
    EXPECT_FALSE(player->Opener().FileRunTimer().isActive());

    // Not idle: a double click does nothing beyond halting the player's tick.
    host.busy.Set(BusyReason::OpeningRecording);
    player->StartTick();
    library->CellDoubleClicked(Cell(kGroupNormal, 2));
    EXPECT_FALSE(player->TickRunning());
    EXPECT_FALSE(player->Opener().FileRunTimer().isActive());
    EXPECT_NE(player->Selected(), Ref(2));
}

TEST_F(OpenerTest, VanishedRecordingShowsFileNotFoundAndReturnsToIdle)
{
    Fill(kGroupNormal, 2);
    ASSERT_TRUE(QFile::remove(root.path() + "/" + StampName(1)));
    library->CellDoubleClicked(Cell(kGroupNormal, 1));
    ASSERT_TRUE(WaitFor([&] { return !player->Opener().FileRunTimer().isActive(); }, 3000));
    EXPECT_EQ(messages.texts, QStringList{"ファイルが見つかりません!"});
    EXPECT_EQ(messages.captions, QStringList{"Korvane"});
    EXPECT_EQ(host.processFinish, 1);
    EXPECT_EQ(player->OpenCount(), 0);
    EXPECT_TRUE(host.busy.IsIdle());
    EXPECT_TRUE(Cell(kGroupNormal, 0)->IsReady());
    EXPECT_FALSE(player->Opener().OpenRecording(RecordingRef{kGroupNormal, 5, StampName(5)}));  // empty cell
    EXPECT_EQ(host.processFinish, 2);
}

TEST_F(OpenerTest, TelemetryThatCannotBeReadStillPlaysWithoutTelemetry)
{
    Fill(kGroupNormal, 1);
    ASSERT_TRUE(CopyRecordings(root.path(), {"20230101130000.MP4"}));
    QFile::remove(root.path() + "/" + StampName(0));
    ASSERT_TRUE(QFile::copy(root.path() + "/20230101130000.MP4", root.path() + "/" + StampName(0)));
    // A side-car the loader cannot open (a directory in its place) makes the load raise.
    ASSERT_TRUE(QDir().mkpath(SidecarPath(library->Catalogue().workingFolder, StampName(0))));
    player->Channel(0).lines = {"left over from the last recording"};
    player->Channel(0).track.sampleCount = 5;
    EXPECT_TRUE(player->Opener().OpenRecording(Ref(0)));
    player->StopWaitingForKernel();
    EXPECT_TRUE(player->Channel(0).lines.empty());
    EXPECT_EQ(player->Channel(0).track.sampleCount, 0);
    EXPECT_EQ(player->OpenCount(), 1);
    EXPECT_EQ(player->Channel(0).ref, Ref(0));
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST_F(OpenerTest, RecordingWhosePathIsTooLongForTheKernelIsRefusedWithAMessage)
{
    const QString deep = root.path() + "/" + QString(120, 'a') + "/" + QString(120, 'b');
    ASSERT_TRUE(QDir().mkpath(deep));
    library->Catalogue().recordingFolder = deep;
    ASSERT_TRUE(CopyRecordings(deep, {StampName(0)}));
    Fill(kGroupNormal, 1, false);
    EXPECT_FALSE(player->Opener().OpenRecording(Ref(0)));
    EXPECT_EQ(messages.texts, QStringList{LibraryText("Library.PathTooLong.Caption")});
    EXPECT_EQ(host.processFinish, 1);
    EXPECT_EQ(player->OpenCount(), 0);
    EXPECT_FALSE(player->Channel(0).ref.IsValid());
}

TEST_F(OpenerTest, WithoutAPlaybackChannelTheMessageSaysSo)
{
    // The block could not be opened at start-up ("ERROR 0x6006"): the channel has no slot.
    player->Channel(0).slot = nullptr;
    ASSERT_TRUE(CopyRecordings(root.path(), {StampName(0)}));
    Fill(kGroupNormal, 1, false);
    EXPECT_FALSE(player->Opener().OpenRecording(Ref(0)));
    EXPECT_EQ(messages.texts, QStringList{LibraryText("Library.NoPlaybackChannel")});
    EXPECT_TRUE(LibraryText("Library.NoPlaybackChannel").contains("0x6006"));
    EXPECT_EQ(player->OpenCount(), 0);
}

TEST_F(OpenerTest, OpenChosenFolderResetsTheViewerEmptiesTheWorkingFolderAndRestarts)
{
    Fill(kGroupNormal, 2);
    const QString other = root.path() + "/other";
    ASSERT_TRUE(QDir().mkpath(other));
    QSignalSpy mapPreparations(library.get(), &RecordingLibrary::folderOpening);
    player->Opener().OpenChosenFolder(other);
    EXPECT_EQ(host.menus, QList<bool>{false});
    EXPECT_EQ(mapPreparations.size(), 1);
    EXPECT_TRUE(host.busy.Has(BusyReason::LoadingFolder));
    EXPECT_EQ(Resets(), (QList<QPair<bool, bool>>{{true, true}}));
    EXPECT_TRUE(QDir(library->Catalogue().workingFolder).entryList(QDir::Files).isEmpty());
    EXPECT_EQ(library->Catalogue().recordingFolder, other);
    EXPECT_TRUE(library->Catalogue().normalShown.isEmpty());
    EXPECT_TRUE(Cell(kGroupNormal, 0)->IsEmpty());
    ASSERT_TRUE(WaitFor([&] { return host.menus.size() == 2; }, 5000));
    EXPECT_EQ(host.menus.last(), true);
    EXPECT_TRUE(host.busy.Settling(BusyReason::LoadingFolder));
    // The finished pass resets the viewer once more.
    EXPECT_EQ(Resets(), (QList<QPair<bool, bool>>{{true, true}, {true, true}}));
}

TEST_F(OpenerTest, OpenFolderCommandStopsPlaybackAndOpensTheChosenFilesFolder)
{
    const QString card = root.path() + "/card one";
    ASSERT_TRUE(QDir().mkpath(card));
    ASSERT_TRUE(CopyRecordings(card, {StampName(0)}));
    // A cancelled dialog changes nothing but the stopped playback.
    Fill(kGroupNormal, 2);
    {
        DialogAnswer cancel{QString()};
        player->Opener().OpenFolderCommand();
    }
    EXPECT_EQ(Count(*states, PlayState::Stopped), 1);
    EXPECT_TRUE(host.menus.isEmpty());
    EXPECT_EQ(library->Catalogue().recordingFolder, root.path());
    EXPECT_FALSE(Cell(kGroupNormal, 1)->IsEmpty());
    {
        DialogAnswer answer(card + "/" + StampName(0));
        player->Opener().OpenFolderCommand();
    }
    EXPECT_EQ(library->Catalogue().recordingFolder, card);
    EXPECT_EQ(library->Catalogue().normalFiles, QStringList{StampName(0)});
    EXPECT_EQ(host.menus, QList<bool>{false});
}

TEST(PlaybackChannelTest, ReleaseForgetsTheRecordingAndCloseFreesTheLines)
{
    KernelSlot slot{};
    PlaybackChannel channel;
    channel.slot = &slot;
    channel.ref = RecordingRef{kGroupNormal, 0, StampName(0)};
    slot.ready.store(1);
    slot.kernelWindow.store(77);
    channel.lines = {"$GPRMC,1", "$GPRMC,2"};
    ReleaseChannel(channel);
    EXPECT_EQ(slot.kernelWindow.load(), 0u);
    EXPECT_EQ(slot.ready.load(), 0);
    EXPECT_FALSE(channel.ref.IsValid());
    slot.kernelWindow.store(77);
    CloseChannel(channel);
    EXPECT_EQ(slot.kernelWindow.load(), 0u);
    EXPECT_TRUE(channel.lines.empty());
}
