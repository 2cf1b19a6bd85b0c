// The real viewer plays an event recording of the sample card: its events are marked on the
// chart, N and Shift+N land one second before the next and the previous event (on into the next
// event recording after the last one), and Setup >
// "Speed in mph" switches the read-out and the axis and is kept in the viewer's state file.
#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QTest>

#include "app/app_shell.h"
#include "app/telemetry_hookup.h"
#include "app/viewer.h"
#include "app/viewer_state.h"
#include "library/recording_library.h"
#include "library/thumbnail_cell.h"
#include "library/thumbnail_grid.h"
#include "player/playback_channel.h"
#include "player/playback_controller.h"
#include "telemetry_view/chart_strip.h"
#include "telemetry_view/telemetry_display.h"
#include "ui/main_window.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {

TEST(ViewerEvents, MarkersJumpsAndMilesPerHour)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the X display of the test script";
    const QString samples = QStringLiteral(KORVANE_SAMPLES_DIR);
    if (!QFileInfo::exists(samples + QStringLiteral("/G20250614080130.MP4")))
        GTEST_SKIP() << "the sample card is made by the samples target";
    ViewerHarness v(samples);
    ASSERT_TRUE(v.WaitForThumbnails(60000));
    PlaybackController& p = v.player();
    TelemetryDisplay& display = v.viewer().Telemetry().Display();
    ChartStrip& chart = display.Chart();
    ThumbnailCell* cell = v.viewer().Library().Grid(0).Cell(0);
    ASSERT_TRUE(cell);
    ASSERT_EQ(cell->FileName(), QStringLiteral("G20250614080130.MP4"));
    v.DoubleClick(cell);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));
    p.Pause();
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Paused && v.shell().Busy().IsIdle(); }, 5000));

    // The braking at 3.2 s, the bump at 4.3 s and the trigger ten seconds after the start.
    const std::vector<TelemetryEvent>& events = v.viewer().Telemetry().Events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].kind, EventKind::HardBraking);
    EXPECT_EQ(events[0].sample, 32);
    EXPECT_EQ(events[1].kind, EventKind::GForce);
    EXPECT_EQ(events[1].sample, 43);
    EXPECT_EQ(events[2].kind, EventKind::Trigger);
    EXPECT_EQ(events[2].sample, 100);
    ASSERT_EQ(chart.drawing().markers.size(), 3u);
    EXPECT_EQ(chart.drawing().markers[2].x, 100 * chart.plImage->width() / chart.chartSamples());

    auto press = [&](Qt::KeyboardModifiers mods) { QTest::keyClick(v.window().mmDummy, Qt::Key_N, mods); };
    auto at = [&](int index) {
        return QTest::qWaitFor([&] { return chart.currentSampleIndex() == index && v.shell().Busy().IsIdle(); }, 3000);
    };
    QTest::keyClick(v.window().mmDummy, Qt::Key_Home);
    ASSERT_TRUE(at(0));
    press(Qt::NoModifier);
    EXPECT_TRUE(at(22)) << chart.currentSampleIndex();
    press(Qt::NoModifier);
    EXPECT_TRUE(at(33)) << chart.currentSampleIndex();
    press(Qt::NoModifier);
    EXPECT_TRUE(at(90)) << chart.currentSampleIndex();
    // No event left in it: N goes on to the next event recording, one second before the swerve
    // at 3.7 s, and Shift+N comes back to the trigger.
    auto in = [&](const char* name, int index) {
        return QTest::qWaitFor([&] {
            return p.Current()->ref.name == QLatin1String(name) && chart.currentSampleIndex() == index &&
                   p.State() == PlayState::Paused && v.shell().Busy().IsIdle();
        }, 15000);
    };
    press(Qt::NoModifier);
    EXPECT_TRUE(in("G20250614080330.MP4", 27)) << p.Current()->ref.name.toStdString() << " " << chart.currentSampleIndex();
    press(Qt::ShiftModifier);
    EXPECT_TRUE(in("G20250614080130.MP4", 90)) << p.Current()->ref.name.toStdString() << " " << chart.currentSampleIndex();
    press(Qt::ShiftModifier);
    EXPECT_TRUE(at(33)) << chart.currentSampleIndex();
    press(Qt::ShiftModifier);
    EXPECT_TRUE(at(22)) << chart.currentSampleIndex();

    // Speeds in miles per hour, kept for the next run.
    EXPECT_FALSE(v.window().miSpeedMph->isChecked());
    v.window().miSpeedMph->trigger();
    EXPECT_EQ(display.lbKmh->text(), QStringLiteral(" mph"));
    // Paused: the read-out shows the same moment in miles per hour at once.
    const TelemetrySample& paused = p.Current()->track.samples[22];
    ASSERT_TRUE(paused.fixValid);
    EXPECT_EQ(display.lbSpeed->text(), QString::number(static_cast<int>(KmhToMph(paused.speedKmh))));
    EXPECT_TRUE(chart.drawing().mph);
    EXPECT_TRUE(chart.drawing().speedCaptions[4].endsWith(QStringLiteral("mph")));
    press(Qt::NoModifier);
    ASSERT_TRUE(at(33));
    const TelemetrySample& s = p.Current()->track.samples[33];
    ASSERT_TRUE(s.fixValid);
    EXPECT_EQ(display.lbSpeed->text(), QString::number(static_cast<int>(KmhToMph(s.speedKmh))));
    EXPECT_TRUE(LoadViewerState(ViewerStatePath()).speedInMph);
    v.window().miSpeedMph->trigger();
    EXPECT_EQ(display.lbKmh->text(), QStringLiteral(" km/h"));
    EXPECT_FALSE(LoadViewerState(ViewerStatePath()).speedInMph);
}

} // namespace
