// The real viewer on a drive of four consecutive recordings with scripted events, made at test
// time (a real encode, the camera's text track added by the box writer): N walks every event in
// order across the recordings, past the one without events, Shift+N walks them back, and the
// seek bar shows each recording's markers.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPlainTextEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>

#include "app/app_shell.h"
#include "app/telemetry_hookup.h"
#include "app/transport_hookup.h"
#include "app/viewer.h"
#include "library/recording_library.h"
#include "library/skin_scroll_bar_widget.h"
#include "library/thumbnail_cell.h"
#include "player/event_jump.h"
#include "player/playback_channel.h"
#include "player/seek_bar.h"
#include "player/playback_controller.h"
#include "telemetry_view/chart_painter.h"
#include "telemetry_view/chart_strip.h"
#include "telemetry_view/seek_marker_strip.h"
#include "telemetry_view/telemetry_display.h"
#include "tools/mp4write/mp4write.h"
#include "ui/main_window.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {

constexpr int kSeconds = 8;

// The camera's subtitle line for sample i of the recording starting at minute `minute`: a fix at
// a speed in km/h (written in knots) and a G.
std::string Line(int minute, int i, double kmh, double g)
{
    char buf[220];
    std::snprintf(buf, sizeof buf,
                  "$GPRMC,05%02d%02d.00,A,3539.12345,N,13945.12345,E,%.5f,90.0,170921,,,A*7C  G: %.3f "
                  "Time:2021/09/17 05:%02d:%02d",
                  minute, i / 10, kmh / 1.852, g, minute, i / 10);
    return buf;
}

// Eight seconds at 60 km/h with bumps of 0.8 G at the given samples and a braking of 20 km/h
// per second from `brakeAt` (reported there).
std::vector<std::string> Drive(int minute, std::vector<int> bumps, int brakeAt = -1)
{
    std::vector<std::string> lines;
    for (int i = 0; i < kSeconds * 10; ++i) {
        const double v = brakeAt >= 0 && i > brakeAt ? 60 - 20 * std::min(i - brakeAt, 15) / 10.0 : 60;
        const bool bump = std::find(bumps.begin(), bumps.end(), i) != bumps.end();
        lines.push_back(Line(minute, i, v, bump ? 0.8 : 0.1));
    }
    return lines;
}

// The drive: 05:00 a bump at 2.0 s and a braking at 5.0 s, 05:01 nothing, 05:02 a bump at 0.5 s
// and one at 6.0 s, 05:03 a braking at 3.0 s.
bool MakeDrive(const QString& folder)
{
    const QString clip = folder + QStringLiteral("/clip.mp4");
    QProcess ffmpeg;
    ffmpeg.setProcessChannelMode(QProcess::MergedChannels);
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                  QStringLiteral("testsrc2=size=320x180:rate=30:duration=%1").arg(kSeconds), "-f", "lavfi", "-i",
                  QStringLiteral("sine=frequency=440:sample_rate=48000:duration=%1").arg(kSeconds), "-c:v", "libx264",
                  "-preset", "ultrafast", "-g", "15", "-pix_fmt", "yuv420p", "-c:a", "aac", "-shortest", clip});
    if (!ffmpeg.waitForFinished(120000) || ffmpeg.exitCode() != 0) {
        ADD_FAILURE() << ffmpeg.readAll().toStdString();
        return false;
    }
    const std::vector<std::vector<std::string>> drives = {
        Drive(0, {20}, 50), Drive(1, {}), Drive(2, {5, 60}), Drive(3, {}, 30)};
    for (int m = 0; m < 4; ++m) {
        const QString path = folder + QStringLiteral("/2021091705") + QString::number(m).rightJustified(2, QLatin1Char('0')) + "00.MP4";
        if (!QFile::copy(clip, path))
            return false;
        mp4write::AddTextTrack(QFile::encodeName(path).toStdString(), drives[m], 100, 1000);
    }
    return QFile::remove(clip);
}

TEST(ViewerEvents, NAndShiftNWalkEveryEventAcrossTheRecordingsOfAGroup)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the X display of the test script";
    QTemporaryDir card;
    ASSERT_TRUE(card.isValid());
    ASSERT_TRUE(MakeDrive(card.path()));
    ViewerHarness v(card.path());
    ASSERT_TRUE(v.WaitForThumbnails(60000));
    PlaybackController& p = v.player();
    ChartStrip& chart = v.viewer().Telemetry().Display().Chart();
    auto name = [&] { return p.Current()->ref.name; };
    auto landed = [&](const char* recording, int index, PlayState state) {
        return QTest::qWaitFor([&] {
            return name() == QLatin1String(recording) && chart.currentSampleIndex() == index &&
                   p.State() == state && v.shell().Busy().IsIdle() && !v.viewer().Telemetry().Events().empty();
        }, 15000);
    };
    auto press = [&](Qt::KeyboardModifiers mods) { QTest::keyClick(v.window().mmDummy, Qt::Key_N, mods); };

    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 15000));
    p.Pause();
    QTest::keyClick(v.window().mmDummy, Qt::Key_Home);
    ASSERT_TRUE(landed("20210917050000.MP4", 0, PlayState::Paused));

    // The first recording's markers on the seek bar, in their colours, above the bar's parts.
    SeekMarkerStrip& markers = v.viewer().Telemetry().SeekMarkers();
    const std::vector<SeekMarker> placed = markers.Markers();
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].event.kind, EventKind::GForce);
    EXPECT_EQ(placed[1].event.kind, EventKind::HardBraking);
    const QImage bar = v.viewer().Seek().Widget().grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(bar.pixelColor(placed[0].x, 1), chart_colours::kGForce);
    EXPECT_EQ(bar.pixelColor(placed[1].x, 1), chart_colours::kSpeedFix);

    // N: every event in order, one second before it; the recording without events is passed
    // over; an event in the first second lands at the start.
    struct Stop {
        const char* recording;
        int index;
    };
    const Stop walk[] = {{"20210917050000.MP4", 10}, {"20210917050000.MP4", 40}, {"20210917050200.MP4", 0},
                         {"20210917050200.MP4", 50}, {"20210917050300.MP4", 20}};
    for (const Stop& s : walk) {
        press(Qt::NoModifier);
        ASSERT_TRUE(landed(s.recording, s.index, PlayState::Paused))
            << s.recording << " " << s.index << ": " << name().toStdString() << " " << chart.currentSampleIndex();
    }
    EXPECT_EQ(markers.Markers().size(), 1u);  // the last recording's braking
    press(Qt::NoModifier);  // the group's last event: nothing more
    QTest::qWait(700);
    EXPECT_EQ(name(), QStringLiteral("20210917050300.MP4"));
    EXPECT_EQ(chart.currentSampleIndex(), 20);
    EXPECT_FALSE(v.shell().transport()->Jumper().Pending().has_value());

    // Shift+N: the same events backwards.
    const Stop back[] = {{"20210917050200.MP4", 50}, {"20210917050200.MP4", 0}, {"20210917050000.MP4", 40},
                         {"20210917050000.MP4", 10}};
    for (const Stop& s : back) {
        press(Qt::ShiftModifier);
        ASSERT_TRUE(landed(s.recording, s.index, PlayState::Paused))
            << s.recording << " " << s.index << ": " << name().toStdString() << " " << chart.currentSampleIndex();
    }
    press(Qt::ShiftModifier);  // the group's first event
    QTest::qWait(700);
    EXPECT_EQ(name(), QStringLiteral("20210917050000.MP4"));
    EXPECT_EQ(chart.currentSampleIndex(), 10);

    // While playing, a jump into the next recording plays on from its landing.
    press(Qt::NoModifier);
    ASSERT_TRUE(landed("20210917050000.MP4", 40, PlayState::Paused));
    p.Play();
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing; }, 5000));
    press(Qt::NoModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return name() == QLatin1String("20210917050200.MP4") && v.shell().Busy().IsIdle() &&
               p.State() == PlayState::Playing && chart.currentSampleIndex() < 40;
    }, 15000)) << name().toStdString() << " " << chart.currentSampleIndex();
    EXPECT_TRUE(v.messages.isEmpty()) << v.messages.join(" | ").toStdString();
}

} // namespace
