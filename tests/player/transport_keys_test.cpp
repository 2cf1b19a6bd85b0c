// The transport keys and snapshots in the real viewer: Space, Left and Right, Home, frame steps
// with comma and period, and S, with real kernels playing the sample card into the window on
// the test display, and the real ffmpeg as the judge of a snapshot's pixels.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

#include "app/app_shell.h"
#include "app/transport_hookup.h"
#include "app/viewer.h"
#include "library/catalogue.h"
#include "library/recording_library.h"
#include "library/thumbnail_cell.h"
#include "player/frame_timing.h"
#include "player/play_time.h"
#include "player/playback_channel.h"
#include "player/playback_controller.h"
#include "player/seek_bar.h"
#include "player/transport_keys.h"
#include "png_text.h"
#include "telemetry_view/readout_model.h"
#include "ui/main_window.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {
const QString kSamples = QStringLiteral(KORVANE_SAMPLES_DIR);

bool NeedsDisplay() { return QGuiApplication::platformName() != QLatin1String("xcb"); }

// The frame ffmpeg decodes at `seconds` (accurate seek), as RGB.
QImage FfmpegFrame(const QString& mp4, double seconds, const QString& folder)
{
    const QString out = folder + QStringLiteral("/reference.png");
    QProcess p;
    p.start(QStringLiteral("ffmpeg"), {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-y"),
                                      QStringLiteral("-ss"), QString::number(seconds, 'f', 7), QStringLiteral("-i"), mp4,
                                      QStringLiteral("-frames:v"), QStringLiteral("1"), out});
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        return {};
    return QImage(out).convertToFormat(QImage::Format_RGB888);
}

class TransportKeysTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (NeedsDisplay())
            GTEST_SKIP() << "needs the X display of the test script";
        ASSERT_TRUE(pictures_.isValid());
        qputenv("XDG_PICTURES_DIR", pictures_.path().toUtf8());
        v_ = std::make_unique<ViewerHarness>(kSamples);
        ASSERT_TRUE(v_->WaitForThumbnails());
    }
    void TearDown() override
    {
        v_.reset();
        qunsetenv("XDG_PICTURES_DIR");
    }

    PlaybackController& P() { return v_->player(); }
    PlaybackChannel& Channel() { return *P().Current(); }
    // Keys go where the window's keyboard focus is: the invisible edit box.
    void Press(Qt::Key key) { QTest::keyClick(v_->window().mmDummy, key); }
    std::int64_t Position() { return ReadPosition(Channel()); }

    void PlayFirst()
    {
        v_->DoubleClick(v_->NormalCell(0));
        ASSERT_TRUE(QTest::qWaitFor([&] { return P().State() == PlayState::Playing && v_->shell().Busy().IsIdle(); }, 10000));
    }
    bool WaitPosition(std::int64_t position100ns, int timeoutMs = 3000)
    {
        return QTest::qWaitFor([&] { return Position() == position100ns; }, timeoutMs);
    }
    // Waits until the kernel has written where it stopped: the position holds for 300 ms.
    bool WaitStill(int timeoutMs = 8000)
    {
        std::int64_t last = Position();
        return QTest::qWaitFor([&] {
            QTest::qWait(300);
            const std::int64_t now = Position();
            const bool still = now == last;
            last = now;
            return still;
        }, timeoutMs);
    }
    bool WaitSteps()
    {
        return QTest::qWaitFor([&] { return !v_->shell().transport()->Keys().Stepper().Busy(); }, 8000);
    }
    QString StatusText() { return v_->window().stSystem->currentMessage(); }
    QString SnapshotFolder() { return pictures_.path() + QStringLiteral("/Korvane"); }

    QTemporaryDir pictures_;
    std::unique_ptr<ViewerHarness> v_;
};
} // namespace

TEST_F(TransportKeysTest, KeysDoNothingWhileNothingIsLoaded)
{
    for (Qt::Key key : {Qt::Key_Space, Qt::Key_Right, Qt::Key_Period, Qt::Key_Home, Qt::Key_S})
        Press(key);
    QTest::qWait(300);
    EXPECT_EQ(P().State(), PlayState::Stopped);
    EXPECT_FALSE(Channel().ref.IsValid());
    EXPECT_EQ(Channel().kernelPid, -1);
    EXPECT_FALSE(QDir(SnapshotFolder()).exists());
}

TEST_F(TransportKeysTest, SpaceTogglesArrowsSeekFiveSecondsHomeGoesToTheStart)
{
    PlayFirst();
    Press(Qt::Key_Space);
    EXPECT_EQ(P().State(), PlayState::Paused);
    ASSERT_TRUE(WaitStill());   // the kernel's next pass writes where it stopped
    const std::int64_t paused = Position();
    QTest::qWait(300);
    EXPECT_EQ(Position(), paused);
    Press(Qt::Key_Space);
    EXPECT_EQ(P().State(), PlayState::Playing);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Position() > paused + 2000000; }, 3000));
    Press(Qt::Key_Space);
    ASSERT_EQ(P().State(), PlayState::Paused);

    // Right: five seconds on through the seek bar's path; the thumb and the chart follow.
    ASSERT_TRUE(WaitStill());
    const int before = v_->viewer().Seek().Position();
    Press(Qt::Key_Right);
    EXPECT_EQ(v_->viewer().Seek().Position(), before + 50);
    ASSERT_TRUE(WaitPosition(SeekTarget(before + 50)));
    EXPECT_EQ(PositionTenths(Position()), before + 50);
    EXPECT_EQ(P().State(), PlayState::Paused);
    Press(Qt::Key_Right);
    ASSERT_TRUE(WaitPosition(SeekTarget(before + 100)));
    Press(Qt::Key_Left);
    ASSERT_TRUE(WaitPosition(SeekTarget(before + 50)));
    EXPECT_EQ(v_->viewer().Seek().Position(), before + 50);

    // A dialog up keeps the keys: nothing moves.
    {
        QDialog dialog(&v_->window());
        dialog.setModal(true);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 2000));
        QTest::keyClick(&dialog, Qt::Key_Home);
        QTest::keyClick(&dialog, Qt::Key_Space);
        Press(Qt::Key_Home);
        Press(Qt::Key_Space);
        QTest::qWait(200);
        EXPECT_EQ(P().State(), PlayState::Paused);
        EXPECT_EQ(Position(), SeekTarget(before + 50));
    }

    Press(Qt::Key_Home);
    ASSERT_TRUE(WaitPosition(0));
    EXPECT_EQ(v_->viewer().Seek().Position(), 0);
    // Left at the start stays there.
    Press(Qt::Key_Left);
    QTest::qWait(200);
    EXPECT_EQ(Position(), 0);
}

TEST_F(TransportKeysTest, TenPeriodsAdvanceTenFramesAndCommasGoBack)
{
    PlayFirst();
    const std::optional<double> frame = ReadFrameDuration(Channel().mediaPath);
    ASSERT_TRUE(frame);
    EXPECT_NEAR(*frame, 1e7 / 30, 1e-6);   // the sample card is 30 frames a second

    // A period while playing pauses and lands on the next frame's start.
    Press(Qt::Key_Period);
    EXPECT_EQ(P().State(), PlayState::Paused);
    ASSERT_TRUE(WaitSteps());
    const std::int64_t first = Position();
    const std::int64_t index = FrameIndexAt(first, *frame);
    EXPECT_GT(index, 0);
    EXPECT_EQ(first, FrameStart(index, *frame));

    for (int i = 0; i < 10; ++i)
        Press(Qt::Key_Period);
    ASSERT_TRUE(WaitSteps());
    EXPECT_EQ(Position(), FrameStart(index + 10, *frame));
    EXPECT_NEAR(static_cast<double>(Position() - first), 10 * *frame, 1.0);
    EXPECT_EQ(v_->viewer().Seek().Position(), PositionTenths(Position()));
    EXPECT_EQ(P().State(), PlayState::Paused);

    for (int i = 0; i < 3; ++i)
        Press(Qt::Key_Comma);
    ASSERT_TRUE(WaitSteps());
    EXPECT_EQ(Position(), FrameStart(index + 7, *frame));

    // Home, then a comma: the first frame is as far back as it goes.
    Press(Qt::Key_Home);
    ASSERT_TRUE(WaitPosition(0));
    Press(Qt::Key_Comma);
    ASSERT_TRUE(WaitSteps());
    EXPECT_EQ(Position(), 0);
    Press(Qt::Key_Period);
    ASSERT_TRUE(WaitSteps());
    EXPECT_EQ(Position(), FrameStart(1, *frame));
}

TEST_F(TransportKeysTest, SnapshotIsTheFrameFfmpegDecodesThereWithTheRecordingsData)
{
    PlayFirst();
    const std::optional<double> frame = ReadFrameDuration(Channel().mediaPath);
    ASSERT_TRUE(frame);
    // Five seconds in (the sample has a fix there), then thirteen frames on.
    Press(Qt::Key_Space);
    Press(Qt::Key_Home);
    ASSERT_TRUE(WaitPosition(0));
    Press(Qt::Key_Right);
    ASSERT_TRUE(WaitPosition(SeekTarget(50)));
    for (int i = 0; i < 13; ++i)
        Press(Qt::Key_Period);
    ASSERT_TRUE(WaitSteps());
    const std::int64_t position = Position();
    ASSERT_EQ(position, FrameStart(FrameIndexAt(SeekTarget(50), *frame) + 13, *frame));

    const QStringList cardBefore = QDir(kSamples).entryList(QDir::Files);
    Press(Qt::Key_S);
    ASSERT_TRUE(QTest::qWaitFor([&] { return StatusText().contains(SnapshotFolder()); }, 20000)) << StatusText().toStdString();
    const QStringList files = QDir(SnapshotFolder()).entryList({QStringLiteral("*.png")}, QDir::Files);
    ASSERT_EQ(files.size(), 1) << files.join(u' ').toStdString();
    const QString ms = QString::number((position + 5000) / 10000 % 1000).rightJustified(3, u'0');
    EXPECT_EQ(files.first(), QStringLiteral("20250614080000_00-00-05.%1.png").arg(ms));
    const QString path = SnapshotFolder() + u'/' + files.first();
    EXPECT_TRUE(StatusText().endsWith(path)) << StatusText().toStdString();
    EXPECT_EQ(QDir(kSamples).entryList(QDir::Files), cardBefore);

    // Full resolution, the very pixels ffmpeg gives at that position.
    const QImage shot = QImage(path).convertToFormat(QImage::Format_RGB888);
    EXPECT_EQ(shot.size(), QSize(1280, 720));
    QTemporaryDir work;
    const QImage reference = FfmpegFrame(Channel().mediaPath, position / 1e7, work.path());
    ASSERT_FALSE(reference.isNull());
    EXPECT_TRUE(shot == reference);
    const QImage neighbour = FfmpegFrame(Channel().mediaPath, FrameStart(FrameIndexAt(position, *frame) + 1, *frame) / 1e7,
                                         work.path());
    EXPECT_FALSE(shot == neighbour);

    // Its text chunks, read straight from the file.
    const QMap<QString, QString> text = ReadPngText(path);
    EXPECT_EQ(text.value(QStringLiteral("Recording")), QStringLiteral("20250614080000.MP4"));
    EXPECT_EQ(text.value(QStringLiteral("Position")), QStringLiteral("00:00:05.%1").arg(ms));
    EXPECT_EQ(text.value(QStringLiteral("Software")), QStringLiteral("Korvane"));
    const std::optional<int> index = SampleIndexAt(PositionTenths(position), Channel().lines.size(), P().DurationTenths(),
                                                   Channel().track);
    ASSERT_TRUE(index);
    const TelemetrySample& s = Channel().track.samples[static_cast<std::size_t>(*index)];
    ASSERT_TRUE(s.fixValid);
    EXPECT_EQ(text.value(QStringLiteral("Latitude")), QString::number(s.latitude, 'f', 6));
    EXPECT_EQ(text.value(QStringLiteral("Longitude")), QString::number(s.longitude, 'f', 6));
    EXPECT_EQ(text.value(QStringLiteral("Speed")), QString::number(s.speedKmh, 'f', 1) + QStringLiteral(" km/h"));

    // Setup > Snapshot at the start: a second file, with no fix in its text.
    Press(Qt::Key_Home);
    ASSERT_TRUE(WaitPosition(0));
    v_->window().miSnapshot->trigger();
    const QString second = SnapshotFolder() + QStringLiteral("/20250614080000_00-00-00.000.png");
    ASSERT_TRUE(QTest::qWaitFor([&] { return StatusText().endsWith(second); }, 20000)) << StatusText().toStdString();
    EXPECT_EQ(QDir(SnapshotFolder()).entryList({QStringLiteral("*.png")}, QDir::Files).size(), 2);
    const QMap<QString, QString> startText = ReadPngText(second);
    EXPECT_EQ(startText.value(QStringLiteral("Position")), QStringLiteral("00:00:00.000"));
    EXPECT_FALSE(startText.contains(QStringLiteral("Latitude")));
}

TEST_F(TransportKeysTest, StepsAndSnapshotsFollowAContinuousPlaySwitch)
{
    PlayFirst();
    const QString firstName = Channel().ref.name;
    const int firstChannel = Channel().id;
    // Right until the end: playing on, the next recording opens in the other channel.
    for (int i = 0; i < 4; ++i)
        Press(Qt::Key_Right);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return Channel().id != firstChannel && Channel().ref.IsValid() && Channel().ref.name != firstName &&
               P().State() == PlayState::Playing && v_->shell().Busy().IsIdle();
    }, 30000));
    const std::optional<double> frame = ReadFrameDuration(Channel().mediaPath);
    ASSERT_TRUE(frame);
    Press(Qt::Key_Period);
    ASSERT_TRUE(WaitSteps());
    const std::int64_t landed = Position();
    EXPECT_EQ(landed, FrameStart(FrameIndexAt(landed, *frame), *frame));
    Press(Qt::Key_Period);
    ASSERT_TRUE(WaitSteps());
    EXPECT_EQ(Position(), FrameStart(FrameIndexAt(landed, *frame) + 1, *frame));

    Press(Qt::Key_S);
    ASSERT_TRUE(QTest::qWaitFor([&] { return StatusText().contains(SnapshotFolder()); }, 20000));
    const QString path = StatusText().section(u' ', -1);
    EXPECT_TRUE(QFileInfo(path).fileName().startsWith(RecordingStem(Channel().ref.name)));
    EXPECT_EQ(ReadPngText(path).value(QStringLiteral("Recording")), Channel().ref.name);
}
