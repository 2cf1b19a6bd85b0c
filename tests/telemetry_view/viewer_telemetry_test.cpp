// The real viewer plays the sample card's first recording: the chart is drawn once, the cursor
// and the G label follow the playback, and the read-outs show the first seconds without a fix
// ("  -", NO SIGNAL) and then the sample's speed with the GPS symbol.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QTest>

#include "app/app_shell.h"
#include "app/telemetry_hookup.h"
#include "app/viewer.h"
#include "player/playback_channel.h"
#include "library/thumbnail_cell.h"
#include "player/play_time.h"
#include "player/playback_controller.h"
#include "player/seek_bar.h"
#include "telemetry_view/chart_strip.h"
#include "telemetry_view/telemetry_display.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {

QColor TextColour(const QLabel* label) { return label->palette().color(QPalette::WindowText); }

TEST(ViewerTelemetry, PlayingMovesTheCursorAndTheReadoutsFollowIncludingTheNoFixStart)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the X display of the test script";
    const QString samples = QStringLiteral(KORVANE_SAMPLES_DIR);
    if (!QFileInfo::exists(samples + QStringLiteral("/20250614080000.MP4")))
        GTEST_SKIP() << "the sample card is made by the samples target";
    ViewerHarness v(samples);
    ASSERT_TRUE(v.WaitForThumbnails(60000));
    PlaybackController& p = v.player();
    TelemetryDisplay& display = v.viewer().Telemetry().Display();
    ChartStrip& chart = display.Chart();
    ThumbnailCell* first = v.NormalCell(0);
    ASSERT_EQ(first->FileName(), QStringLiteral("20250614080000.MP4"));
    v.DoubleClick(first);
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));
    const TelemetryTrack& track = p.Current()->track;
    ASSERT_GT(track.sampleCount, 100);
    EXPECT_EQ(chart.chartSamples(), 200);  // a 20-second recording: two columns
    EXPECT_EQ(chart.timeLabels[2]->text(), QStringLiteral("20s"));
    EXPECT_TRUE(chart.timeLabels[2]->isVisible());
    EXPECT_FALSE(chart.timeLabels[3]->isVisible());
    const int renders = chart.renderCount();

    // The receiver has no fix for the first four seconds.
    ASSERT_TRUE(QTest::qWaitFor([&] { return chart.currentSampleIndex() >= 5; }, 5000));
    ASSERT_LT(chart.currentSampleIndex(), 35);
    EXPECT_EQ(display.lbSpeed->text(), QStringLiteral("  -"));
    EXPECT_TRUE(display.plGPS_NO->isVisible());
    EXPECT_FALSE(display.plGPS_YES->isVisible());
    EXPECT_EQ(TextColour(display.lbGPS), QColor(170, 215, 240));
    const int earlyX = chart.spVelocity->x();

    ASSERT_TRUE(QTest::qWaitFor([&] { return chart.currentSampleIndex() >= 50; }, 8000));
    p.Pause();
    const int index = chart.currentSampleIndex();
    const TelemetrySample& s = track.samples[index];
    ASSERT_TRUE(s.fixValid);
    EXPECT_EQ(display.lbSpeed->text(), QString::number(static_cast<int>(s.speedKmh)));
    EXPECT_TRUE(display.plGPS_YES->isVisible());
    EXPECT_FALSE(display.plGPS_NO->isVisible());
    EXPECT_EQ(TextColour(display.lbGPS), QColor(64, 213, 240));
    EXPECT_EQ(chart.lbAcceleration->text(), QString::fromStdString(s.gText));
    EXPECT_TRUE(v.viewer().plTime()->text().contains(QString::fromStdString(s.dateTime)));
    EXPECT_GT(chart.spVelocity->x(), earlyX);
    EXPECT_EQ(chart.spVelocity->x(),
              CursorLeft(index, chart.plImage->width(), chart.chartSamples(), chart.spVelocity->width()));
    EXPECT_GT(chart.lbAcceleration->x(), chart.spVelocity->x());
    // Playing only moved the cursor and its label: the chart was not drawn again.
    EXPECT_EQ(chart.renderCount(), renders);

    // A press on the chart seeks to the time under the mouse; cursor and read-outs follow.
    const int x = chart.plImage->width() * 3 / 4;
    QTest::mousePress(chart.plImage, Qt::LeftButton, Qt::NoModifier, QPoint(x, 10));
    QTest::mouseRelease(chart.plImage, Qt::LeftButton, Qt::NoModifier, QPoint(x, 10));
    const int target = ChartPosition(x, chart.plImage->width(), chart.chartSamples(), p.DurationTenths()) + 1;
    EXPECT_EQ(v.viewer().Seek().Position(), target);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !v.viewer().Seek().seekDragging; }, 2000));
    const double lines = static_cast<double>(p.Current()->lines.size());
    EXPECT_EQ(chart.currentSampleIndex(), static_cast<int>(target * lines / p.DurationTenths()));
    EXPECT_EQ(p.State(), PlayState::Paused);
    EXPECT_EQ(chart.renderCount(), renders);
}

} // namespace
