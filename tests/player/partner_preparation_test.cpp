// Continuous play with the next recording prepared in the partner channel: the switch takes the
// prepared kernel, stop, seek and a folder change let it go at once, and a next recording that
// cannot be played fails quietly until the switch reports it.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QGuiApplication>
#include <QScreen>
#include <QTest>

#include "app/app_shell.h"
#include "app/transport_hookup.h"
#include "app/viewer.h"
#include "library/recording_library.h"
#include "library/skin_scroll_bar_widget.h"
#include "library/thumbnail_cell.h"
#include "platform/child_process.h"
#include "player/partner_preparation.h"
#include "player/playback_channel.h"
#include "player/playback_controller.h"
#include "player/recording_opener.h"
#include "player/play_time.h"
#include "player/seek_bar.h"
#include "player/transport_keys.h"
#include "ui/main_window.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {
const QString kCard = QStringLiteral(KORVANE_PLAYER_FIXTURES "/card");
const QString kMixed = QStringLiteral(KORVANE_PLAYER_FIXTURES "/mixed");

bool Ended(pid_t pid, int timeoutMs = 4000)
{
    return pid <= 0 || QTest::qWaitFor([&] { return !platform::ChildRunning(pid); }, timeoutMs);
}

class PartnerPreparationTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "needs the X display of the test script";
    }

    // Plays the first recording of `v` with continuous play on and waits until the partner
    // holds the second, ready.
    static void PlayUntilPrepared(ViewerHarness& v)
    {
        PlaybackController& p = v.player();
        v.DoubleClick(v.NormalCell(0));
        ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return p.Partner().Prepared().IsValid(); }, 3000));
        EXPECT_EQ(p.Partner().Prepared(), v.viewer().Library().RefOf(v.NormalCell(1)));
    }
};
} // namespace

TEST_F(PartnerPreparationTest, EachSwitchTakesThePreparedKernelAndShowsTheNewRecording)
{
    ViewerHarness v(kCard);
    ASSERT_TRUE(v.WaitForThumbnails());
    PlaybackController& p = v.player();
    struct Start {
        pid_t preparedPid, playingPid;
        bool cellRed;
        RecordingRef loaded;
        QString loadedPath;
    };
    std::vector<Start> starts;
    pid_t preparedPid = -1;
    RecordingRef loaded;
    QString loadedPath;
    QObject::connect(&p, &PlaybackController::recordingLoaded, [&](const LoadedRecording& rec) {
        loaded = rec.ref;
        loadedPath = rec.mp4Path;
    });
    QObject::connect(&p, &PlaybackController::playbackStarted, [&](int) {
        starts.push_back({preparedPid, p.Current()->kernelPid,
                          IsRed(v.viewer().Library().CellOf(p.Current()->ref)), loaded, loadedPath});
    });
    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing; }, 8000));
    QTest::qWait(300);
    double darkest = 255;
    ASSERT_TRUE(QTest::qWaitFor([&] {
        if (p.Partner().Prepared().IsValid())
            preparedPid = p.Current()->partner->kernelPid;
        if (starts.size() < 3 || p.State() == PlayState::Playing)
            darkest = std::min(darkest, VideoAreaBrightness(v.window()));
        return starts.size() == 3 && p.State() == PlayState::Stopped;
    }, 20000));
    ASSERT_EQ(starts.size(), 3u);
    for (int k = 1; k < 3; ++k) {
        SCOPED_TRACE(k);
        // The kernel that plays is the one prepared before the end, not one launched at it.
        EXPECT_EQ(starts[k].playingPid, starts[k].preparedPid);
        EXPECT_TRUE(starts[k].cellRed);
        EXPECT_EQ(starts[k].loaded, v.viewer().Library().RefOf(v.NormalCell(k)));
        EXPECT_EQ(starts[k].loadedPath, v.viewer().Library().MediaPathOf(starts[k].loaded));
    }
    EXPECT_FALSE(IsRed(v.NormalCell(2)));
    EXPECT_FALSE(p.Partner().Prepared().IsValid());
    EXPECT_GT(darkest, 20.0) << "the video area went dark during a switch";
}

TEST_F(PartnerPreparationTest, StopSeekAndAFolderChangeLetThePreparedKernelGo)
{
    enum class Action { Stop, Seek, Folder, ContinuousOff };
    for (Action action : {Action::Stop, Action::Seek, Action::Folder, Action::ContinuousOff}) {
        SCOPED_TRACE(static_cast<int>(action));
        ViewerHarness v(kCard);
        ASSERT_TRUE(v.WaitForThumbnails());
        PlaybackController& p = v.player();
        PlayUntilPrepared(v);
        PlaybackChannel& partner = *p.Current()->partner;
        const pid_t prepared = partner.kernelPid;
        ASSERT_TRUE(platform::ChildRunning(prepared));
        int starts = 0;
        QObject::connect(&p, &PlaybackController::playbackStarted, [&] { ++starts; });
        switch (action) {
        case Action::Stop:
            p.Stop();
            break;
        case Action::Seek: {
            // Paused, so that the tick does not prepare the partner again.
            p.Pause();
            QWidget* track = v.viewer().Seek().Widget().Track();
            const QPoint at(track->width() / 2, track->height() / 2);
            QTest::mousePress(track, Qt::LeftButton, Qt::NoModifier, at);
            QTest::mouseRelease(track, Qt::LeftButton, Qt::NoModifier, at);
            (void)QTest::qWaitFor([&] { return !p.Partner().Prepared().IsValid(); }, 1000);
            break;
        }
        case Action::Folder:
            p.Opener().OpenChosenFolder(kCard);
            break;
        case Action::ContinuousOff:
            v.window().miContinue->trigger();
            break;
        }
        EXPECT_FALSE(p.Partner().Prepared().IsValid());
        EXPECT_FALSE(partner.ref.IsValid());
        EXPECT_TRUE(Ended(prepared)) << "the prepared kernel was left behind";
        // A kernel still starting when it was let go finds its slot released and leaves it free.
        EXPECT_TRUE(QTest::qWaitFor([&] { return partner.slot->processId.load() == 0; }, 2000));
        // Past the end of the recording: no switch.
        QTest::qWait(3500);
        EXPECT_EQ(starts, 0);
        EXPECT_FALSE(p.Partner().Prepared().IsValid());
    }
}

TEST_F(PartnerPreparationTest, ADamagedNextRecordingFailsQuietlyAndTheSwitchReportsIt)
{
    ViewerHarness v(kMixed);
    ASSERT_TRUE(v.WaitForThumbnails());
    PlaybackController& p = v.player();
    // Short enough for the damaged recording, long enough for the good one's kernel to start
    // on a loaded machine (1.5 s was not, with the whole suite running beside it).
    p.SetWaitReadyLimit(5000);
    v.messages.clear();
    int ends = 0;
    bool quietUntilTheEnd = false;
    QObject::connect(&p, &PlaybackController::recordingEnded, [&] {
        if (ends++ == 0)
            quietUntilTheEnd = v.messages.isEmpty();
    });
    PlayUntilPrepared(v);
    // While the good recording plays, the viewer says nothing about the next one; the switch
    // at its end reports it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ends > 0; }, 6000));
    EXPECT_TRUE(quietUntilTheEnd);
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.shell().Busy().IsIdle() && !v.messages.isEmpty(); }, 6000));
    EXPECT_EQ(p.State(), PlayState::Stopped);
    ASSERT_EQ(v.messages.size(), 1);
    EXPECT_TRUE(v.messages[0].contains(QStringLiteral("could not be played")));
    EXPECT_FALSE(p.Current()->ref.IsValid());
}

TEST_F(PartnerPreparationTest, AfterASeekNearTheEndThePreparedRecordingPlaysWithItsOwnTelemetry)
{
    const QString samples = QStringLiteral(KORVANE_SAMPLES_DIR);
    if (!QFileInfo::exists(samples + QStringLiteral("/20250614080200.MP4")))
        GTEST_SKIP() << "the sample card is made by the samples target";
    ViewerHarness v(samples);
    ASSERT_TRUE(v.WaitForThumbnails(60000));
    PlaybackController& p = v.player();
    RecordingLibrary& library = v.viewer().Library();
    TransportKeys& keys = v.shell().transport()->Keys();
    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));
    QTest::qWait(500);
    for (int k = 1; k <= 2; ++k) {
        SCOPED_TRACE(k);
        const RecordingRef next = library.RefOf(v.NormalCell(k));
        // Two and a half seconds before the end the next recording is prepared, and then taken.
        const int at = static_cast<int>(PositionTenths(ReadPosition(*p.Current())));
        ASSERT_TRUE(keys.SeekBy(p.DurationTenths() - 25 - at));
        ASSERT_TRUE(QTest::qWaitFor([&] { return p.Partner().Prepared() == next; }, 3000));
        const pid_t prepared = p.Current()->partner->kernelPid;
        ASSERT_TRUE(QTest::qWaitFor([&] {
            return p.Current()->ref == next && p.State() == PlayState::Playing && v.shell().Busy().IsIdle();
        }, 8000));
        EXPECT_EQ(p.Current()->kernelPid, prepared);
        EXPECT_TRUE(IsRed(v.NormalCell(k)));
        EXPECT_FALSE(IsRed(v.NormalCell(k - 1)));
        // The clock read-out follows the new recording's telemetry, a minute on from the last.
        const QString clock = QStringLiteral("2025/06/14 08:0%1:0").arg(k);
        EXPECT_TRUE(QTest::qWaitFor([&] { return v.viewer().plTime()->text().contains(clock); }, 2000))
            << v.viewer().plTime()->text().toStdString();
    }
    p.Stop();
}
