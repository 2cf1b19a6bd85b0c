// The painter puts the computed chart on an image with exact colours and no antialiasing; the
// strip's geometry follows the layout rules.
#include <gtest/gtest.h>

#include <QSet>
#include <memory>

#include "telemetry_view/chart_painter.h"
#include "telemetry_view/strip_layout.h"

using namespace korvane;

namespace {

QRgb Rgb(const QColor& c) { return c.rgb(); }

TEST(ChartPainter, BorderGridCurvesInTheirColoursAndNothingElse)
{
    auto t = std::make_unique<TelemetryTrack>();
    t->sampleCount = 20;
    for (int i = 0; i < 20; ++i) {
        t->samples[i].fixValid = i < 10 ? 0 : 1;
        t->samples[i].speedKmh = 30;
        t->samples[i].gForce = 0.3;
    }
    t->maxSpeed = 30;
    t->maxG = 0.3;
    // 2 s: x = 2 i over 200 pixels; 40 km/h scale over 100 pixels, so 30 km/h lies at y 25; the G
    // line at 0.3 on the fine scale lies at y 50 (on the middle grid row).
    const ChartDrawing d = ComputeChart(*t, 20020000, 200, 100, 100);
    const QImage image = RenderChart(d);
    ASSERT_EQ(image.size(), QSize(200, 100));
    EXPECT_EQ(image.pixel(0, 0), Rgb(chart_colours::kGrid));
    EXPECT_EQ(image.pixel(199, 99), Rgb(chart_colours::kGrid));
    EXPECT_EQ(image.pixel(100, 0), Rgb(chart_colours::kGrid));
    EXPECT_EQ(image.pixel(100, 10), Rgb(chart_colours::kBackground));
    EXPECT_EQ(image.pixel(100, 75), Rgb(chart_colours::kGrid));   // the lowest grid row
    EXPECT_EQ(image.pixel(8, 25), Rgb(chart_colours::kSpeedNoFix));
    EXPECT_EQ(image.pixel(30, 25), Rgb(chart_colours::kSpeedFix));
    EXPECT_EQ(image.pixel(120, 24), Rgb(chart_colours::kBackground));  // past the last sample, above the row
    EXPECT_EQ(image.pixel(20, 50), Rgb(chart_colours::kGForce));
    const QSet<QRgb> allowed = {Rgb(chart_colours::kGrid), Rgb(chart_colours::kBackground),
                                Rgb(chart_colours::kSpeedFix), Rgb(chart_colours::kSpeedNoFix),
                                Rgb(chart_colours::kGForce)};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ASSERT_TRUE(allowed.contains(image.pixel(x, y))) << x << "," << y;
}

TEST(ChartPainter, DrawingOutsideThePlotIsClipped)
{
    QImage image(300, 150, QImage::Format_RGB32);
    image.fill(Qt::blue);
    auto t = std::make_unique<TelemetryTrack>();
    t->sampleCount = 900;  // 90 s of samples on a one-minute chart run past the right edge
    const ChartDrawing d = ComputeChart(*t, 0, 200, 100, 100);
    PaintChart(d, image);
    EXPECT_EQ(image.pixel(250, 50), QColor(Qt::blue).rgb());
    EXPECT_EQ(image.pixel(100, 120), QColor(Qt::blue).rgb());
}

TEST(StripLayout, PositionsFromTheStripSizeAndTheLabels)
{
    StripLabelSizes sz;
    sz.timeLabel = {20, 17};
    sz.timeLabel05 = {16, 17};
    sz.clockLabel = {60, 17};
    sz.clockEnd = {60, 17};
    sz.axisLabel = {40, 17};
    sz.speedAxis80 = {60, 17};
    sz.kmh = {50, 24};
    sz.speed = {100, 60};
    const StripLayout l = ComputeStripLayout({700, 160}, 1.0, 100, sz);
    EXPECT_EQ(l.timeTop, 138);
    const int rows[] = {126, 95, 65, 35, 5};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(l.gLabels[i], QPoint(0, rows[i]));
        EXPECT_EQ(l.speedLabels[i], QPoint(515, rows[i]));
    }
    EXPECT_EQ(l.plImage, QRect(45, 15, 450, 121));
    EXPECT_EQ(l.timeZeroLeft, 51);
    EXPECT_EQ(l.clockStart, QPoint(45, -2));
    EXPECT_EQ(l.clockEnd, QPoint(435, -2));
    EXPECT_EQ(l.kmh, QRect(640, 70, 50, 24));
    EXPECT_EQ(l.speed, QRect(540, 44, 100, 60));
    EXPECT_EQ(l.plGPS.topLeft(), QPoint(530, 95));
    EXPECT_EQ(l.gpsPanel, QRect(50, 2, 60, 36));
    EXPECT_EQ(TimeLabelLeft(l.plImage, 75.0, 20), 112);

    const StripLayout wide = ComputeStripLayout({1050, 240}, 1.5, 150, sz);
    EXPECT_EQ(wide.plImage.left(), 87);
    EXPECT_EQ(wide.plImage.width(), static_cast<int>(1050 - 60 - 145 * 1.5 + 20) - 35 - 45 - 20);
    EXPECT_EQ(wide.imgGPS, QRect(0, 0, 90, 46));
}

} // namespace
