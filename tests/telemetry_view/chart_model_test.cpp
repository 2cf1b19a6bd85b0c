// The chart as numbers: columns and time labels, axis choice, the speed line with its grey
// no-fix stretches, the grouped G line, the cursor and its G label.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "telemetry_view/chart_model.h"
#include "telemetry_view/chart_painter.h"

using namespace korvane;

namespace {

constexpr std::int64_t kUnitsPerSecond = 10010000;

std::unique_ptr<TelemetryTrack> Track(int n)
{
    auto t = std::make_unique<TelemetryTrack>();
    t->sampleCount = n;
    for (int i = 0; i < n && i < 900; ++i) {
        t->samples[i].fixValid = 1;
        t->samples[i].dateTime = "2025/06/14 08:00:00";
    }
    return t;
}

struct ColumnCase {
    std::int64_t duration;
    int seconds;
    int columns;
    std::vector<QString> labels;
};

class Columns : public testing::TestWithParam<ColumnCase> {};

TEST_P(Columns, SecondsColumnsSamplesAndTimeLabels)
{
    const ColumnCase& c = GetParam();
    const ChartDrawing d = ComputeChart(*Track(0), c.duration, 600, 200, 100);
    EXPECT_EQ(d.seconds, c.seconds);
    EXPECT_EQ(d.columns, c.columns);
    EXPECT_EQ(d.chartSamples, 100 * c.columns);
    std::vector<QString> labels;
    for (const ChartTimeLabel& l : d.timeLabels)
        labels.push_back(l.caption);
    EXPECT_EQ(labels, c.labels);
    ASSERT_EQ(d.timeLabels.size(), static_cast<size_t>(c.columns));
    EXPECT_DOUBLE_EQ(d.timeLabels[0].anchorX, 600.0 / c.columns);
    // Three rows, then one dotted line between each pair of columns.
    ASSERT_EQ(d.grid.size(), static_cast<size_t>(3 + c.columns - 1));
    EXPECT_EQ(d.grid[0], (ChartSegment{ChartPen::Grid, {0, 50}, {600, 50}}));
    if (c.columns > 1) {
        EXPECT_EQ(d.grid[3], (ChartSegment{ChartPen::GridDotted, {600 / c.columns, 0}, {600 / c.columns, 200}}));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Durations, Columns,
    testing::Values(
        ColumnCase{60 * kUnitsPerSecond, 60, 6, {"10", "20", "30", "40", "50", "60s"}},
        ColumnCase{35 * kUnitsPerSecond, 35, 4, {"10", "20", "30", "40s"}},
        ColumnCase{0, 60, 6, {"10", "20", "30", "40", "50", "60s"}},
        ColumnCase{-5, 60, 6, {"10", "20", "30", "40", "50", "60s"}},
        ColumnCase{61 * kUnitsPerSecond, 60, 6, {"10", "20", "30", "40", "50", "60s"}},
        ColumnCase{10 * kUnitsPerSecond, 10, 1, {"10s"}},
        ColumnCase{10 * kUnitsPerSecond + 1, 11, 2, {"10", "20s"}},
        // 20 s as the kernel reports it (10 000 000 units a second) is 19.98 viewer seconds.
        ColumnCase{200000000, 20, 2, {"10", "20s"}},
        ColumnCase{1, 1, 1, {"10s"}}));

struct AxisCase {
    double maxSpeed;
    double maxG;
    int samples;
    double fullScale;
    QString topSpeed;
    double gMin;
    QString topG;
};

class Axes : public testing::TestWithParam<AxisCase> {};

TEST_P(Axes, ChosenFromTheTrackMaxima)
{
    const AxisCase& c = GetParam();
    auto t = Track(c.samples);
    t->maxSpeed = c.maxSpeed;
    t->maxG = c.maxG;
    const ChartDrawing d = ComputeChart(*t, 0, 600, 200, 100);
    EXPECT_EQ(d.fullScale, c.fullScale);
    EXPECT_EQ(d.speedCaptions[4], c.topSpeed);
    EXPECT_EQ(d.speedCaptions[0], QStringLiteral(" 0"));
    EXPECT_EQ(d.gMin, c.gMin);
    EXPECT_EQ(d.gCaptions[4], c.topG);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, Axes,
    testing::Values(AxisCase{39.99, 0.2, 10, 40, "40 Km/h", 0.1, " 0.5G"},
                    AxisCase{40, 0.5, 10, 80, "80 Km/h", 0.1, " 0.5G"},
                    AxisCase{79.99, 0.5001, 10, 80, "80 Km/h", 0.0, "1.00G"},
                    AxisCase{80, 0.7, 10, 120, "120 Km/h", 0.0, "1.00G"},
                    AxisCase{120, 0, 10, 160, "160 Km/h", 0.1, " 0.5G"},
                    AxisCase{160, 0, 10, 180, "180 Km/h", 0.1, " 0.5G"},
                    AxisCase{600, 0, 10, 180, "180 Km/h", 0.1, " 0.5G"},
                    // Maxima no row takes (a track built by hand, or one older code let through).
                    AxisCase{INFINITY, 0, 10, 180, "180 Km/h", 0.1, " 0.5G"},
                    AxisCase{NAN, 0, 10, 180, "180 Km/h", 0.1, " 0.5G"},
                    // A track without samples takes the last speed row, whatever its maximum.
                    AxisCase{20, 0, 0, 180, "180 Km/h", 0.1, " 0.5G"}));

TEST(SpeedLine, NoFixStretchIsGreyAtTheLastSpeedThenStepsToTheFirstFixedValue)
{
    // 2 s: one column of 100 samples over 200 pixels, x = 2 i; 80 km/h scale over 100 pixels.
    auto t = Track(20);
    for (int i = 0; i < 20; ++i)
        t->samples[i].speedKmh = i < 15 ? 50 : 60;
    for (int i = 10; i < 15; ++i)
        t->samples[i].fixValid = 0;
    t->maxSpeed = 60;
    const ChartDrawing d = ComputeChart(*t, 2 * kUnitsPerSecond, 200, 100, 100);
    ASSERT_EQ(d.chartSamples, 100);
    const auto fix = ChartPen::SpeedFix;
    const auto grey = ChartPen::SpeedNoFix;
    // Samples 1 to 8 repeat 50 km/h and draw nothing; sample 9 closes the run before the stretch.
    const std::vector<ChartSegment> expected = {
        {fix, {0, 37}, {18, 37}},  {grey, {18, 37}, {20, 37}}, {grey, {20, 37}, {22, 37}},
        {grey, {22, 37}, {24, 37}}, {grey, {24, 37}, {26, 37}}, {grey, {26, 37}, {28, 37}},
        {grey, {28, 37}, {30, 37}}, {grey, {30, 37}, {30, 25}}, {fix, {30, 25}, {38, 25}},
    };
    EXPECT_EQ(d.speed, expected);
}

struct MphAxisCase {
    double maxKmh;
    double fullScale;
    QString captions[5];
};

class MphAxes : public testing::TestWithParam<MphAxisCase> {};

// In miles per hour the row is chosen by the maximum in miles per hour, with round steps.
TEST_P(MphAxes, ChosenFromTheMaximumInMilesPerHour)
{
    const MphAxisCase& c = GetParam();
    auto t = Track(10);
    t->maxSpeed = c.maxKmh;
    const ChartDrawing d = ComputeChart(*t, 0, 600, 200, 100, true);
    EXPECT_TRUE(d.mph);
    EXPECT_EQ(d.fullScale, c.fullScale);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(d.speedCaptions[i], c.captions[i]) << i;
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, MphAxes,
    testing::Values(MphAxisCase{0, 20, {" 0", "5", "10", "15", "20 mph"}},
                    MphAxisCase{32.18, 20, {" 0", "5", "10", "15", "20 mph"}},       // 19.996 mph
                    MphAxisCase{32.1869, 40, {" 0", "10", "20", "30", "40 mph"}},    // 20.0 mph
                    MphAxisCase{64.3, 40, {" 0", "10", "20", "30", "40 mph"}},
                    MphAxisCase{96.5, 60, {" 0", "15", "30", "45", "60 mph"}},
                    MphAxisCase{128.7, 80, {" 0", "20", "40", "60", "80 mph"}},
                    MphAxisCase{160.9, 100, {" 0", "25", "50", "75", "100 mph"}},
                    MphAxisCase{160.935, 120, {" 0", "30", "60", "90", "120 mph"}},  // 100.0004 mph
                    MphAxisCase{180, 120, {" 0", "30", "60", "90", "120 mph"}},
                    MphAxisCase{NAN, 120, {" 0", "30", "60", "90", "120 mph"}}));

TEST(MphAxes, NoSamplesTakeTheLastRow)
{
    const ChartDrawing d = ComputeChart(*Track(0), 0, 600, 200, 100, true);
    EXPECT_EQ(d.fullScale, 120);
    EXPECT_EQ(d.speedCaptions[4], QStringLiteral("120 mph"));
}

class MphHeights : public testing::TestWithParam<double> {};

// Every speed sample is drawn at the height its value in miles per hour takes on the mph axis,
// within one pixel, in the computed line and in the painted image.
TEST_P(MphHeights, EverySampleAtItsMphHeight)
{
    const double topKmh = GetParam();
    const int n = 600, w = 1200, h = 200;
    auto t = Track(n);
    for (int i = 0; i < n; ++i)
        t->samples[i].speedKmh = topKmh * (0.2 + 0.8 * std::abs(std::sin(i / 37.0)));
    t->maxSpeed = topKmh;
    const ChartDrawing d = ComputeChart(*t, 60 * kUnitsPerSecond, w, h, 100, true);
    const QImage image = RenderChart(d);
    ASSERT_EQ(d.speed.size(), static_cast<size_t>(n - 1));
    for (const ChartSegment& seg : d.speed) {
        const int i = seg.to.x() / 2;
        const double expected = h - KmhToMph(t->samples[i].speedKmh) * h / d.fullScale;
        ASSERT_LE(std::abs(seg.to.y() - expected), 1.0) << i;
        const int y = static_cast<int>(expected);
        bool green = false;
        for (int dy = -1; dy <= 1; ++dy)
            if (y + dy > 0 && y + dy < h - 1 && image.pixelColor(seg.to.x(), y + dy) == chart_colours::kSpeedFix)
                green = true;
        ASSERT_TRUE(green || y <= 0 || y >= h - 1) << "sample " << i << " at y " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Speeds, MphHeights, testing::Values(30.0, 60.0, 100.0, 150.0, 179.0));

TEST(SpeedLine, SixtySecondsOfSixHundredSamplesStepOneWidthOverSixHundred)
{
    auto t = Track(600);
    for (int i = 0; i < 600; ++i)
        t->samples[i].speedKmh = i % 2 ? 40 : 20;
    t->maxSpeed = 40;
    const ChartDrawing d = ComputeChart(*t, 60 * kUnitsPerSecond, 1200, 80, 100);
    ASSERT_EQ(d.speed.size(), 599u);
    for (size_t k = 0; k < d.speed.size(); ++k)
        ASSERT_EQ(d.speed[k].to.x(), static_cast<int>(2 * (k + 1))) << k;
    EXPECT_EQ(d.speed[0].to.y(), 40);  // 40 km/h at half of the 80 km/h scale
}

TEST(SpeedLine, GlitchesAndMissingSpeedsDrawNoPoint)
{
    // Only glitches: the 180 scale, the pen stays on the bottom line.
    auto glitches = Track(10);
    for (int i = 0; i < 10; ++i)
        glitches->samples[i].speedKmh = 600;
    glitches->maxSpeed = 600;
    const ChartDrawing g = ComputeChart(*glitches, 10 * kUnitsPerSecond, 100, 50, 100);
    EXPECT_EQ(g.fullScale, 180);
    for (const ChartSegment& s : g.speed)
        EXPECT_GE(s.to.y(), 49) << s.to.x();

    // A missing last speed ends on the bottom row, from the last sample that had one.
    auto missing = Track(5);
    for (int i = 0; i < 5; ++i)
        missing->samples[i].speedKmh = i < 2 ? 40 : NoSpeed;
    missing->maxSpeed = 40;
    const ChartDrawing m = ComputeChart(*missing, 10 * kUnitsPerSecond, 100, 50, 100);
    ASSERT_GE(m.speed.size(), 2u);
    EXPECT_EQ(m.speed[m.speed.size() - 2].to, QPoint(1, 49));  // x of sample 1
    EXPECT_EQ(m.speed.back().to, QPoint(4, 49));
}

TEST(SpeedLine, TwoSamplesDrawOnlyTheLastPoint)
{
    auto t = Track(2);
    t->samples[0].speedKmh = 10;
    t->samples[1].speedKmh = 20;
    t->maxSpeed = 20;
    const ChartDrawing d = ComputeChart(*t, 10 * kUnitsPerSecond, 100, 40, 100);
    ASSERT_EQ(d.speed.size(), 1u);
    EXPECT_EQ(d.speed[0], (ChartSegment{ChartPen::SpeedFix, {0, 30}, {1, 20}}));
}

TEST(GLine, LargestOfEachGroupOfTenInSixColumns)
{
    auto t = Track(21);
    for (int i = 0; i < 21; ++i)
        t->samples[i].gForce = 0.25;
    t->samples[3].gForce = 0.75;
    t->samples[15].gForce = 0.5;
    t->maxG = 0.75;
    const ChartDrawing d = ComputeChart(*t, 60 * kUnitsPerSecond, 600, 100, 100);
    const std::vector<ChartSegment> expected = {
        {ChartPen::GForce, {0, 75}, {5, 25}},    // group 1..10: largest at 3, drawn at 3 + 2
        {ChartPen::GForce, {5, 25}, {17, 50}},   // group 11..20: largest at 15
        {ChartPen::GForce, {17, 50}, {20, 75}},  // the last sample
    };
    EXPECT_EQ(d.gLine, expected);
}

TEST(GLine, GroupsOfFourUpToFourColumnsAndFineScaleBelowTheBottom)
{
    auto t = Track(9);
    for (int i = 0; i < 9; ++i)
        t->samples[i].gForce = 0.05;  // below the fine scale's 0.1: under the plot (clipped)
    t->samples[2].gForce = 0.3;
    t->maxG = 0.3;
    const ChartDrawing d = ComputeChart(*t, 40 * kUnitsPerSecond, 400, 100, 100);
    ASSERT_EQ(d.gLine.size(), 3u);
    EXPECT_EQ(d.gLine[0].from, QPoint(0, 112));
    EXPECT_EQ(d.gLine[0].to, QPoint(4, 50));  // group 1..4: largest at 2
    EXPECT_EQ(d.gLine[1].to, QPoint(7, 112)); // group 5..8: the first 0.05 (at 5) stays the largest
    EXPECT_EQ(d.gLine[2].to, QPoint(8, 112));
}

TEST(Chart, EmptyTrackDrawsTheGridOnly)
{
    const ChartDrawing d = ComputeChart(*Track(0), 0, 500, 100, 100);
    EXPECT_FALSE(d.hasSamples);
    EXPECT_TRUE(d.speed.empty());
    EXPECT_TRUE(d.gLine.empty());
    EXPECT_EQ(d.grid.size(), 8u);
    EXPECT_EQ(d.startTime, QString());
}

TEST(Chart, ClockLabelsAndTracksLongerThanTheArray)
{
    auto t = Track(1500);  // more lines than the track holds
    t->samples[0].dateTime = "2025/06/14 08:00:00";
    t->samples[899].dateTime = "2025/06/14 08:01:29";
    const ChartDrawing d = ComputeChart(*t, 90 * kUnitsPerSecond, 600, 100, 100);
    EXPECT_EQ(d.startTime, QStringLiteral(" 08:00:00"));
    EXPECT_EQ(d.endTime, QStringLiteral(" 08:01:29"));
    EXPECT_EQ(d.speed.back().to.x(), 600 * 899 / 600);
}

struct CursorCase {
    int scalePercent;
    int index;
    int left;
};

class Cursor : public testing::TestWithParam<CursorCase> {};

TEST_P(Cursor, WidthByScaleAndTheJumpAtTen)
{
    const CursorCase& c = GetParam();
    const ChartDrawing d = ComputeChart(*Track(0), 60 * kUnitsPerSecond, 600, 100, c.scalePercent);
    EXPECT_EQ(d.cursorHeight, 100);
    EXPECT_EQ(CursorLeft(c.index, 600, 600, d.cursorWidth), c.left);
}

INSTANTIATE_TEST_SUITE_P(Table, Cursor,
                         testing::Values(CursorCase{100, 0, 0}, CursorCase{100, 9, 8}, CursorCase{100, 10, 12},
                                         CursorCase{120, 10, 12}, CursorCase{125, 9, 8}, CursorCase{140, 9, 8},
                                         CursorCase{140, 10, 13}, CursorCase{150, 10, 13}, CursorCase{160, 10, 13},
                                         CursorCase{175, 10, 13}, CursorCase{175, 599, 602}));

TEST(Cursor, GLabelFlipsToTheLeftAtEightyFivePercentOfTheLines)
{
    EXPECT_EQ(GLabelLeft(509, 300, 600, 40), 310);
    EXPECT_EQ(GLabelLeft(510, 300, 600, 40), 255);
    EXPECT_EQ(GLabelLeft(0, 0, 0, 40), -45);  // no lines: always on the left
}

} // namespace
