// The display's widgets on the offscreen platform: what ShowTelemetryAt changes and what it
// leaves alone, the map hook, and a recording without telemetry after one with telemetry.
#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>
#include <memory>

#include "telemetry_view/chart_strip.h"
#include "telemetry_view/telemetry_display.h"

using namespace korvane;

namespace {

class Display : public testing::Test {
protected:
    void SetUp() override
    {
        window.resize(1000, 200);
        plCurve = new QWidget(&window);
        plCurve->setGeometry(0, 0, 1000, 200);
        display = std::make_unique<TelemetryDisplay>(plCurve, 1.0, 100);
        display->SetTimePanel(&plTime);
        window.show();
        display->Layout();
        track = std::make_unique<TelemetryTrack>();
        track->sampleCount = 600;
        for (int i = 0; i < 600; ++i) {
            TelemetrySample& s = track->samples[i];
            s.fixValid = i < 300;
            s.speedKmh = 12.9 + i / 10;
            s.gText = "G:" + std::to_string(i);
            s.dateTime = "2025/06/14 08:00:" + std::to_string(10 + i / 10);
        }
        track->maxSpeed = 72.8;
        lines.assign(600, "line");
        display->DrawChart(track.get(), 600LL * 1001000);
    }

    TelemetrySource Source(bool gpsSeen) { return {track.get(), &lines, 600, gpsSeen}; }

    QWidget window;
    QWidget* plCurve = nullptr;
    QLabel plTime;
    std::unique_ptr<TelemetryDisplay> display;
    std::unique_ptr<TelemetryTrack> track;
    std::vector<std::string> lines;
};

TEST_F(Display, FixedSampleShowsItsSpeedTimeAndTheSymbol)
{
    display->ShowTelemetryAt(Source(true), 123, true, true);
    EXPECT_EQ(display->Chart().currentSampleIndex(), 123);
    EXPECT_EQ(display->lbSpeed->text(), QStringLiteral("24"));  // 24.9 km/h
    EXPECT_EQ(plTime.text(), QStringLiteral(" 2025/06/14 08:00:22"));
    EXPECT_TRUE(display->plGPS_YES->isVisible());
    EXPECT_FALSE(display->plGPS_NO->isVisible());
    EXPECT_EQ(display->Chart().lbAcceleration->text(), QStringLiteral("G:123"));
}

// Paused, nothing new comes from the player: a change of unit shows the same moment's speed in
// the new unit at once, a sample without a speed of its own the last speed before it, and after
// a stop the read-out stays empty.
TEST_F(Display, AChangeOfUnitShowsTheSameMomentsSpeedAtOnce)
{
    display->ShowTelemetryAt(Source(true), 123, true, true);
    ASSERT_EQ(display->lbSpeed->text(), QStringLiteral("24"));  // 24.9 km/h
    display->SetSpeedInMph(true);
    EXPECT_EQ(display->lbSpeed->text(), QStringLiteral("15"));  // 15.47 mph
    EXPECT_EQ(display->lbKmh->text(), QStringLiteral(" mph"));
    display->SetSpeedInMph(false);
    EXPECT_EQ(display->lbSpeed->text(), QStringLiteral("24"));

    for (int i = 124; i < 130; ++i)
        track->samples[i].speedKmh = NoSpeed;
    display->ShowTelemetryAt(Source(true), 127, true, true);
    ASSERT_EQ(display->lbSpeed->text(), QStringLiteral("24"));  // kept from sample 123
    display->SetSpeedInMph(true);
    EXPECT_EQ(display->lbSpeed->text(), QStringLiteral("15"));

    display->ShowNoFix();
    const QString empty = display->lbSpeed->text();
    display->SetSpeedInMph(false);
    EXPECT_EQ(display->lbSpeed->text(), empty);
}

TEST_F(Display, BeforeAnyTelemetryOnlyTheCursorAndTheGLabelMove)
{
    display->ShowNoFix();
    display->ShowTelemetryAt(Source(false), 123, true, true);
    EXPECT_EQ(display->Chart().currentSampleIndex(), 123);
    EXPECT_EQ(display->Chart().lbAcceleration->text(), QStringLiteral("G:123"));
    EXPECT_EQ(display->lbSpeed->text(), QStringLiteral("  -"));
    EXPECT_EQ(plTime.text(), QString());
    EXPECT_TRUE(display->plGPS_NO->isVisible());
}

TEST_F(Display, PositionAtOrPastTheEndChangesNothing)
{
    display->ShowTelemetryAt(Source(true), 10, true, true);
    const int x = display->Chart().spVelocity->x();
    display->ShowTelemetryAt(Source(true), 600, true, true);
    EXPECT_EQ(display->Chart().currentSampleIndex(), 10);
    EXPECT_EQ(display->Chart().spVelocity->x(), x);
}

TEST_F(Display, NoFixStretchAndThenARecordingWithoutTelemetry)
{
    display->ShowTelemetryAt(Source(true), 400, true, true);
    EXPECT_EQ(display->lbSpeed->text(), QStringLiteral("  -"));
    EXPECT_TRUE(display->plGPS_NO->isVisible());
    display->ShowTelemetryAt(Source(true), 100, true, true);
    EXPECT_EQ(display->lbSpeed->text(), QStringLiteral("22"));

    // The channel is cleared for the next recording, which has no telemetry.
    track->Clear();
    lines.clear();
    const int renders = display->Chart().renderCount();
    display->DrawChart(track.get(), 200LL * 1001000);
    EXPECT_EQ(display->Chart().renderCount(), renders + 1);
    EXPECT_FALSE(display->Chart().drawing().hasSamples);
    display->ShowTelemetryAt({track.get(), &lines, 200, true}, 150, true, true);
    EXPECT_EQ(display->Chart().currentSampleIndex(), 0);
    EXPECT_EQ(display->lbSpeed->text(), QStringLiteral("  -"));
    EXPECT_EQ(plTime.text(), QString());
    EXPECT_EQ(display->lbSubtitle->text(), QString());
    EXPECT_EQ(display->Chart().lbAcceleration->text(), QString());
    EXPECT_TRUE(display->plGPS_NO->isVisible());
}

TEST_F(Display, ResizeRedrawsTheLoadedTrackAtTheNewWidth)
{
    const int before = display->Chart().plImage->width();
    plCurve->resize(1300, 240);
    display->Layout();
    EXPECT_GT(display->Chart().plImage->width(), before);
    EXPECT_EQ(display->Chart().drawing().width, display->Chart().plImage->width());
    EXPECT_TRUE(display->Chart().drawing().hasSamples);
    EXPECT_EQ(display->Chart().chartSamples(), 600);
    EXPECT_EQ(display->Chart().plImage->image.size(), display->Chart().plImage->size());
}

} // namespace

// Texts from the card are shown as they stand: a line or G text written as markup (a picture
// from the viewer's disk, bold text) is laid out like the same characters in a plain label.
TEST_F(Display, CardTextsThatLookLikeMarkupAreShownAsTheyStand)
{
    const std::string markup = "<img src=\"/usr/share/pixmaps/debian-logo.png\" width=\"600\"><b>x</b>";
    lines[123] = markup;
    track->samples[123].gText = markup;
    display->ShowTelemetryAt(Source(true), 123, true, true);
    for (QLabel* label : {display->lbSubtitle, display->Chart().lbAcceleration}) {
        SCOPED_TRACE(label->objectName().toStdString());
        EXPECT_EQ(label->text(), QString::fromStdString(markup));
        QLabel plain;
        plain.setFont(label->font());
        plain.setTextFormat(Qt::PlainText);
        plain.setText(label->text());
        EXPECT_EQ(label->sizeHint(), plain.sizeHint());
    }
}
