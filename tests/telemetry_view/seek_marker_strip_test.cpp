// The seek bar's marker layer as widgets: triangles in the chart's marker colours where the
// layout puts them, presses passing through to the bar's parts, and the tip a resting pointer
// gets from whichever part it rests on.
#include <gtest/gtest.h>

#include <QFrame>
#include <QHelpEvent>
#include <QImage>
#include <QTest>
#include <QToolTip>

#include "telemetry_view/chart_painter.h"
#include "telemetry_view/seek_marker_strip.h"

using namespace korvane;

namespace {

class SeekMarkerStripTest : public testing::Test {
protected:
    void SetUp() override
    {
        bar.resize(520, 18);
        bar.setAutoFillBackground(true);
        QPalette black = bar.palette();
        black.setColor(QPalette::Window, Qt::black);
        bar.setPalette(black);
        track = new QFrame(&bar);
        track->setGeometry(10, 0, 500, 15);
        strip = new SeekMarkerStrip(&bar);
        strip->span = [] { return SeekBarSpan{10, 500, 28, 600}; };
        strip->markerText = [](const TelemetryEvent& e) {
            return QStringLiteral("%1 at %2").arg(QLatin1String(EventKindName(e.kind))).arg(e.sample);
        };
        bar.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&bar));
    }

    QWidget bar;
    QFrame* track = nullptr;
    SeekMarkerStrip* strip = nullptr;
};

TEST_F(SeekMarkerStripTest, DrawsEachEventInItsKindsColourOverTheBar)
{
    // A braking at 10 s, a bump at 30 s, the trigger at the very end.
    strip->SetEvents({{EventKind::HardBraking, 100, 14.0}, {EventKind::GForce, 300, 0.7}, {EventKind::Trigger, 600, 0.1}});
    const std::vector<SeekMarker> markers = strip->Markers();
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0].x, 102);
    EXPECT_EQ(markers[1].x, 260);
    EXPECT_EQ(markers[2].x, 496);
    EXPECT_EQ(strip->geometry(), bar.rect());
    const QImage shot = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shot.pixelColor(102, 1), chart_colours::kSpeedFix);
    EXPECT_EQ(shot.pixelColor(102, kSeekMarkerHeight - 1), chart_colours::kSpeedFix);
    EXPECT_EQ(shot.pixelColor(260, 1), chart_colours::kGForce);
    EXPECT_EQ(shot.pixelColor(496, 1), chart_colours::kGForce);
    EXPECT_EQ(shot.pixelColor(260 + kSeekMarkerHalfWidth, 0), chart_colours::kGForce);  // the base, full width
    // Beside and below the triangles the bar shows through.
    EXPECT_EQ(shot.pixelColor(260 + kSeekMarkerHalfWidth + 2, 0), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(260, kSeekMarkerHeight + 2), QColor(Qt::black));
    EXPECT_EQ(shot.pixelColor(180, 1), QColor(Qt::black));

    // The markers go with the recording.
    strip->SetEvents({});
    const QImage empty = bar.grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(empty.pixelColor(260, 1), QColor(Qt::black));
}

TEST_F(SeekMarkerStripTest, PressesReachThePartsAndARestingPointerGetsTheTip)
{
    strip->SetEvents({{EventKind::HardBraking, 103, 14.0}, {EventKind::GForce, 104, 0.8}, {EventKind::GForce, 300, 0.7}});
    // The layer takes no mouse: the part under a marker gets the press.
    EXPECT_EQ(bar.childAt(105, 3), track);
    EXPECT_EQ(strip->TipAt(105), QStringLiteral("braking at 103\ng at 104"));
    EXPECT_EQ(strip->TipAt(260), QStringLiteral("g at 300"));
    EXPECT_EQ(strip->TipAt(180), QString());

    // The tip question asked of the track reaches the bar in the bar's coordinates.
    QHelpEvent onMarker(QEvent::ToolTip, QPoint(260 - 10, 3), bar.mapToGlobal(QPoint(260, 3)));
    QCoreApplication::sendEvent(track, &onMarker);
    EXPECT_TRUE(QTest::qWaitFor([] { return QToolTip::isVisible(); }, 3000));
    EXPECT_EQ(QToolTip::text(), QStringLiteral("g at 300"));
    QHelpEvent beside(QEvent::ToolTip, QPoint(180 - 10, 3), bar.mapToGlobal(QPoint(180, 3)));
    QCoreApplication::sendEvent(track, &beside);
    EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000));
}

TEST_F(SeekMarkerStripTest, FollowsTheBarsSize)
{
    bar.resize(800, 18);
    EXPECT_EQ(strip->geometry(), QRect(0, 0, 800, 18));
}

} // namespace
