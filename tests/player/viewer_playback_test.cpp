// The real viewer: double clicks, continuous play, seeking and a kernel that never gets ready,
// with real kernels playing short real recordings into the window on the test display.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "app/app_shell.h"
#include "app/viewer.h"
#include "player/playback_channel.h"
#include "library/recording_library.h"
#include "library/skin_scroll_bar_widget.h"
#include "library/thumbnail_cell.h"
#include "player/play_time.h"
#include "player/playback_controller.h"
#include "player/recording_opener.h"
#include "player/seek_bar.h"
#include "ui/main_window.h"
#include "ui/text_catalogue.h"
#include "ui/text_tables.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {
const QString kCard = QStringLiteral(KORVANE_PLAYER_FIXTURES "/card");
const QString kDamaged = QStringLiteral(KORVANE_PLAYER_FIXTURES "/damaged");

bool NeedsDisplay()
{
    return QGuiApplication::platformName() != QLatin1String("xcb");
}

} // namespace

class ViewerPlayback : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (NeedsDisplay())
            GTEST_SKIP() << "needs the X display of the test script";
    }
};

TEST_F(ViewerPlayback, DoubleClickPlaysHighlightsAndAReplayKeepsTheKernel)
{
    ViewerHarness v(kCard);
    ASSERT_TRUE(v.WaitForThumbnails());
    PlaybackController& p = v.player();
    ThumbnailCell* first = v.NormalCell(0);

    v.DoubleClick(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));
    EXPECT_TRUE(IsRed(first));
    EXPECT_EQ(v.viewer().Library().CellOf(p.Current()->ref), first);
    const qint64 before = ReadPosition(*p.Current());
    QTest::qWait(600);
    EXPECT_GT(ReadPosition(*p.Current()), before);

    // Setup > Time hides and shows the date-time overlay over the playing video.
    QLabel* overlay = v.viewer().plTime();
    EXPECT_TRUE(overlay->isVisible());
    v.window().miTime->trigger();
    EXPECT_FALSE(overlay->isVisible());
    v.window().miTime->trigger();
    EXPECT_TRUE(overlay->isVisible());

    // Paused, a double click on the loaded cell plays it again without a new kernel.
    p.Pause();
    EXPECT_EQ(p.State(), PlayState::Paused);
    const pid_t kernel = p.Current()->kernelPid;
    const int opens = p.OpenCount();
    v.DoubleClick(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing; }, 3000));
    EXPECT_EQ(p.Current()->kernelPid, kernel);
    EXPECT_EQ(p.OpenCount(), opens);
}

TEST_F(ViewerPlayback, TwoQuickDoubleClicksOnAnotherCellLoadItOnce)
{
    ViewerHarness v(kCard);
    ASSERT_TRUE(v.WaitForThumbnails());
    PlaybackController& p = v.player();
    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));
    const int opens = p.OpenCount();

    ThumbnailCell* second = v.NormalCell(1);
    v.DoubleClick(second);
    QTest::qWait(150);
    v.DoubleClick(second);
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.viewer().Library().CellOf(p.Current()->ref) == second && p.State() == PlayState::Playing &&
                                             v.shell().Busy().IsIdle(); }, 8000));
    QTest::qWait(700);
    EXPECT_EQ(p.OpenCount(), opens + 1);
    EXPECT_TRUE(IsRed(second));
    EXPECT_FALSE(IsRed(v.NormalCell(0)));
}

TEST_F(ViewerPlayback, ContinuousPlayRunsThroughTheCardWithoutABlackFrame)
{
    ViewerHarness v(kCard);
    ASSERT_TRUE(v.WaitForThumbnails());
    PlaybackController& p = v.player();
    std::vector<int> channels;
    std::vector<ThumbnailCell*> cells;
    QObject::connect(&p, &PlaybackController::playbackStarted, [&](int id) {
        channels.push_back(id);
        cells.push_back(v.viewer().Library().CellOf(p.Current()->ref));
    });

    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing; }, 8000));
    QTest::qWait(800);   // the first pictures are on screen

    // Sample the video area through both switches, until the last recording has ended.
    double darkest = 255;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        if (channels.size() < 3 || p.State() == PlayState::Playing) {
            const double b = VideoAreaBrightness(v.window());
            if (b < 20 && qEnvironmentVariableIsSet("KORVANE_DEBUG_FRAMES"))
                fprintf(stderr, "dark %.1f at %lld ms, starts %zu state %d idle %d\n", b, clock.elapsed(),
                        channels.size(), int(p.State()), int(v.shell().Busy().IsIdle()));
            darkest = std::min(darkest, b);
        }
        return channels.size() == 3 && p.State() == PlayState::Stopped;
    }, 20000));

    EXPECT_EQ(channels, (std::vector<int>{0, 1, 0}));
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0], v.NormalCell(0));
    EXPECT_EQ(cells[1], v.NormalCell(1));
    EXPECT_EQ(cells[2], v.NormalCell(2));
    // The end of the last recording stops the player and clears the highlight.
    EXPECT_FALSE(IsRed(v.NormalCell(2)));
    EXPECT_FALSE(p.Selected().IsValid());
    EXPECT_GT(darkest, 20.0) << "the video area went black during a switch";
}

TEST_F(ViewerPlayback, WithContinuousPlayOffThePlayerStopsAfterTheFirst)
{
    ViewerHarness v(kCard);
    ASSERT_TRUE(v.WaitForThumbnails());
    PlaybackController& p = v.player();
    v.window().miContinue->trigger();
    EXPECT_FALSE(p.ContinuousPlay());
    int starts = 0;
    QObject::connect(&p, &PlaybackController::playbackStarted, [&] { ++starts; });
    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing; }, 8000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Stopped; }, 8000));
    QTest::qWait(500);
    EXPECT_EQ(starts, 1);
    EXPECT_TRUE(IsRed(v.NormalCell(0)));
    EXPECT_EQ(ReadPosition(*p.Current()), 0);
}

TEST_F(ViewerPlayback, SeekWhilePlayingResumesAndWhileStoppedStaysStopped)
{
    ViewerHarness v(kCard);
    ASSERT_TRUE(v.WaitForThumbnails());
    PlaybackController& p = v.player();
    v.window().miContinue->trigger();   // stay on this recording
    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));

    SkinScrollBarWidget& bar = v.viewer().Seek().Widget();
    QWidget* track = bar.Track();
    const int x = track->width() * 3 / 4;
    QTest::mousePress(track, Qt::LeftButton, Qt::NoModifier, QPoint(x, track->height() / 2));
    EXPECT_TRUE(v.viewer().Seek().seekDragging);
    QTest::qWait(200);
    EXPECT_EQ(p.Current()->slot->graphState.load(), 1);
    const int target = bar.Bar().position;
    EXPECT_GT(target, 15);
    QTest::mouseRelease(track, Qt::LeftButton, Qt::NoModifier, QPoint(x, track->height() / 2));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.Current()->slot->graphState.load() == 2; }, 3000));
    EXPECT_EQ(p.State(), PlayState::Playing);
    EXPECT_TRUE(p.TickRunning() || !v.viewer().Seek().seekDragging);
    EXPECT_GE(PositionTenths(ReadPosition(*p.Current())), target - 1);

    // Stopped: the kernel shows the new position paused, and the player stays stopped.
    p.Stop();
    ASSERT_EQ(p.State(), PlayState::Stopped);
    const int x2 = track->width() / 2;
    QTest::mousePress(track, Qt::LeftButton, Qt::NoModifier, QPoint(x2, track->height() / 2));
    const int target2 = bar.Bar().position;
    QTest::mouseRelease(track, Qt::LeftButton, Qt::NoModifier, QPoint(x2, track->height() / 2));
    QTest::qWait(400);
    EXPECT_EQ(p.State(), PlayState::Stopped);
    EXPECT_EQ(p.Current()->slot->graphState.load(), 1);
    EXPECT_NEAR(PositionTenths(ReadPosition(*p.Current())), target2, 1);
}

TEST_F(ViewerPlayback, AKernelThatNeverGetsReadyReturnsTheViewerToIdleWithAMessage)
{
    ViewerHarness v(kDamaged);
    PlaybackController& p = v.player();
    p.SetWaitReadyLimit(1500);
    ASSERT_TRUE(v.WaitForThumbnails());
    ThumbnailCell* cell = v.NormalCell(0);
    ASSERT_NE(cell, nullptr);
    ASSERT_FALSE(cell->FileName().isEmpty());
    v.messages.clear();
    p.Opener().OpenRecording(v.viewer().Library().RefOf(cell));
    EXPECT_FALSE(v.shell().Busy().IsIdle());
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.shell().Busy().IsIdle(); }, 6000));
    EXPECT_EQ(p.State(), PlayState::Stopped);
    ASSERT_EQ(v.messages.size(), 1);
    EXPECT_TRUE(v.messages[0].contains(QStringLiteral("could not be played")));
    EXPECT_FALSE(p.Current()->ref.IsValid());
}

TEST_F(ViewerPlayback, TheSampleCardsTelemetryReachesTheClockOverlay)
{
    const QString samples = QStringLiteral(KORVANE_SAMPLES_DIR);
    if (!QFileInfo::exists(samples + QStringLiteral("/20250614080000.MP4")))
        GTEST_SKIP() << "the sample card is made by the samples target";
    ViewerHarness v(samples);
    ASSERT_TRUE(v.WaitForThumbnails(60000));
    PlaybackController& p = v.player();
    ThumbnailCell* first = v.NormalCell(0);
    ASSERT_EQ(first->FileName(), QStringLiteral("20250614080000.MP4"));
    v.DoubleClick(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));
    // The recording's timed-text track carries the camera clock, ten samples a second.
    EXPECT_GT(p.Current()->track.sampleCount, 100);
    QTest::qWait(1500);
    EXPECT_TRUE(v.viewer().plTime()->text().contains(QStringLiteral("2025/06/14 08:00:0")))
        << v.viewer().plTime()->text().toStdString();

    // On screen the overlay shows above the video as white text on grey, not as an empty box.
    QLabel* overlay = v.viewer().plTime();
    ASSERT_TRUE(overlay->isVisible());
    // The whole clock fits: the overlay keeps the place the layout gave it while it was hidden.
    EXPECT_GE(overlay->width(), overlay->fontMetrics().horizontalAdvance(overlay->text()));
    const QPoint topLeft = overlay->mapToGlobal(QPoint(0, 0));
    const QImage shot = QGuiApplication::primaryScreen()
                            ->grabWindow(0, topLeft.x(), topLeft.y(), overlay->width(), overlay->height())
                            .toImage();
    int grey = 0, white = 0;
    for (int y = 0; y < shot.height(); ++y)
        for (int x = 0; x < shot.width(); ++x) {
            const QColor c = shot.pixelColor(x, y);
            if (qAbs(c.red() - 160) < 8 && qAbs(c.green() - 160) < 8 && qAbs(c.blue() - 164) < 8)
                ++grey;
            else if (qMin(c.red(), qMin(c.green(), c.blue())) > 235)
                ++white;
        }
    const int area = shot.width() * shot.height();
    EXPECT_GT(grey, area / 3) << "the overlay's background is not on screen";
    EXPECT_GT(white, 20) << "the overlay's text is not on screen";
}

// A kernel executable that cannot be started: the viewer says at once that the recording could
// not be played (not after the whole wait for a kernel that will never come) and is idle again.
TEST_F(ViewerPlayback, AKernelThatCannotStartIsReportedAtOnce)
{
    ViewerHarness v(kCard);
    PlaybackController& p = v.player();
    ASSERT_EQ(p.WaitReadyLimitMs(), 10000);
    ASSERT_TRUE(v.WaitForThumbnails());
    const QString executable = KernelExecutable();
    SetKernelExecutable(QStringLiteral("/nonexistent/korvane-kernel"));
    v.messages.clear();
    QElapsedTimer clock;
    clock.start();
    p.Opener().OpenRecording(v.viewer().Library().RefOf(v.NormalCell(0)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.shell().Busy().IsIdle() && !v.messages.isEmpty(); }, 9000));
    // Well inside the ten seconds a kernel that never gets ready is given.
    EXPECT_LT(clock.elapsed(), 5000);
    SetKernelExecutable(executable);
    EXPECT_EQ(p.State(), PlayState::Stopped);
    ASSERT_EQ(v.messages.size(), 1);
    EXPECT_TRUE(v.messages[0].contains(QStringLiteral("could not be played")));
    EXPECT_FALSE(p.Current()->ref.IsValid());
    EXPECT_EQ(p.Current()->slot->processId.load(), 0u);
}

// After another folder is opened nothing of the last recording stays on screen: the video area
// is black (also after a menu was open over it), the clock overlay is gone and the chart shows
// its start captions again.
TEST_F(ViewerPlayback, OpeningAnotherFolderLeavesNoPictureOfTheLastRecording)
{
    const QString samples = QStringLiteral(KORVANE_SAMPLES_DIR);
    if (!QFileInfo::exists(samples + QStringLiteral("/20250614080000.MP4")))
        GTEST_SKIP() << "the sample card is made by the samples target";
    QTemporaryDir other;
    ViewerHarness v(samples);
    ASSERT_TRUE(v.WaitForThumbnails(60000));
    PlaybackController& p = v.player();
    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));
    QTest::qWait(800);
    auto* start = v.window().findChild<QLabel*>(QStringLiteral("lbTM_START"));
    ASSERT_NE(start, nullptr);
    const QString playingStart = start->text();
    ASSERT_NE(playingStart, QStringLiteral("00:00:00"));
    const double playing = VideoAreaBrightness(v.window());
    ASSERT_GT(playing, 20.0);

    p.Stop();
    p.Opener().OpenChosenFolder(other.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.shell().Busy().IsIdle(); }, 8000));
    QTest::qWait(500);
    EXPECT_LT(VideoAreaBrightness(v.window()), 3.0) << "playing: " << playing;
    EXPECT_FALSE(v.viewer().plTime()->isVisible());
    EXPECT_EQ(start->text(), QStringLiteral("00:00:00")) << "was " << playingStart.toStdString();

    // A menu opened over the empty video area and closed again leaves nothing behind.
    QMenu menu;
    for (int i = 0; i < 12; ++i)
        menu.addAction(QStringLiteral("an item with a long text %1").arg(i));
    menu.popup(v.window().plVCRBackGround->mapToGlobal(QPoint(20, 20)));
    QTest::qWait(400);
    menu.hide();
    QTest::qWait(400);
    EXPECT_LT(VideoAreaBrightness(v.window()), 3.0);
}

// A folder without recordings says in the status bar how to open a card.
TEST_F(ViewerPlayback, AFolderWithoutRecordingsSaysHowToOpenACard)
{
    QTemporaryDir empty;
    ViewerHarness v(empty.path());
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.window().miClean->isEnabled(); }, 20000));
    EXPECT_EQ(v.window().stSystem->currentMessage(), CatalogueText(keys::kNoRecordingsHint));
    EXPECT_TRUE(v.window().stSystem->currentMessage().contains(QStringLiteral("Ctrl+O")));
}
