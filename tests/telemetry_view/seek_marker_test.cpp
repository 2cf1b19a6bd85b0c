// The seek bar's event markers as numbers: the x of an event's time, at the bar's ends and out
// of its range, the same x as the bar's own thumb, and markers that overlap.
#include <gtest/gtest.h>

#include "library/skin_scroll_bar.h"
#include "telemetry_view/seek_marker_layout.h"

using namespace korvane;

namespace {

// A 520-pixel seek bar: track from 10 to 510, thumb 28 wide, a 60-second recording.
constexpr SeekBarSpan kBar{10, 500, 28, 600};

struct XCase {
    SeekBarSpan span;
    int tenths;
    int x;
};

void PrintTo(const XCase& c, std::ostream* os) { *os << c.tenths << " tenths on " << c.span.trackWidth << "/" << c.span.thumbWidth << "/" << c.span.durationTenths; }

class MarkerX : public testing::TestWithParam<XCase> {};

TEST_P(MarkerX, IsTheMiddleOfTheThumbAtThatTime)
{
    EXPECT_EQ(SeekMarkerX(GetParam().span, GetParam().tenths), GetParam().x);
}

INSTANTIATE_TEST_SUITE_P(
    Times, MarkerX,
    testing::Values(XCase{kBar, 0, 24},                  // the start: half a thumb inside the track
                    XCase{kBar, 600, 496},               // the end: half a thumb before the track's end
                    XCase{kBar, 300, 260},               // 472 pixels of travel, half of them
                    XCase{kBar, 1, 24},                  // 0.79 pixels: truncated, as the thumb moves
                    XCase{kBar, 2, 25},
                    XCase{kBar, -5, 24},                 // before the start
                    XCase{kBar, 900, 496},               // telemetry beyond the video's end
                    XCase{{10, 500, 27, 600}, 0, 23},    // an odd thumb: its middle rounds down
                    XCase{{10, 500, 28, 0}, 50, 24},     // nothing loaded: the start
                    XCase{{0, 28, 28, 600}, 300, 14}));  // no travel at all

TEST(SeekMarkers, StandWhereTheBarPutsItsThumbForTheSamePosition)
{
    SkinScrollBar bar;
    bar.orientation = 0;
    bar.hasFill = true;
    bar.container = QSize(520, 18);
    bar.track.setHeight(15);
    bar.thumb.setWidth(28);
    bar.maxValue = 6000;
    bar.Relayout();
    const SeekBarSpan span{bar.track.left(), bar.track.width(), bar.thumb.width(), bar.maxValue - bar.minValue};
    for (int position = 0; position <= 6000; position += 37) {
        bar.SetPosition(position);
        ASSERT_EQ(SeekMarkerX(span, position), bar.thumb.left() + bar.thumb.width() / 2) << position;
    }
}

TEST(SeekMarkers, OneMarkerPerEventInTheirOrderAndNoneWithoutADuration)
{
    const std::vector<TelemetryEvent> events = {
        {EventKind::HardBraking, 32, 20.0}, {EventKind::GForce, 43, 0.8}, {EventKind::Trigger, 100, 0.1}};
    const std::vector<SeekMarker> markers = PlaceSeekMarkers(kBar, events);
    ASSERT_EQ(markers.size(), 3u);
    EXPECT_EQ(markers[0], (SeekMarker{events[0], 10 + 25 + 14}));   // 32 x 472 / 600 = 25.2
    EXPECT_EQ(markers[1], (SeekMarker{events[1], 10 + 33 + 14}));   // 33.8
    EXPECT_EQ(markers[2], (SeekMarker{events[2], 10 + 78 + 14}));   // 78.7
    EXPECT_TRUE(PlaceSeekMarkers({10, 500, 28, 0}, events).empty());
    EXPECT_TRUE(PlaceSeekMarkers({10, 0, 28, 600}, events).empty());
    EXPECT_TRUE(PlaceSeekMarkers(kBar, {}).empty());
}

struct HitCase {
    int x;
    std::vector<int> samples;  // of the markers named, in time order
};

void PrintTo(const HitCase& c, std::ostream* os) { *os << "x " << c.x; }

class MarkersAt : public testing::TestWithParam<HitCase> {};

TEST_P(MarkersAt, NameEveryTriangleUnderThePointer)
{
    // A bump and a braking 0.1 s apart share a pixel (given out of time order); a marker 5 pixels
    // on overlaps both triangles; one at the bar's very end.
    const std::vector<TelemetryEvent> events = {{EventKind::GForce, 104, 0.8},
                                                {EventKind::HardBraking, 103, 14.0},
                                                {EventKind::GForce, 110, 0.5},
                                                {EventKind::Trigger, 600, 0.1}};
    const std::vector<SeekMarker> markers = PlaceSeekMarkers(kBar, events);
    ASSERT_EQ(markers[0].x, 105);  // 104 x 472 / 600 = 81.8
    ASSERT_EQ(markers[1].x, 105);  // 81.03
    ASSERT_EQ(markers[2].x, 110);  // 86.5
    ASSERT_EQ(markers[3].x, 496);
    std::vector<int> samples;
    for (const SeekMarker& m : SeekMarkersAt(markers, GetParam().x))
        samples.push_back(m.event.sample);
    EXPECT_EQ(samples, GetParam().samples);
}

INSTANTIATE_TEST_SUITE_P(
    Pointer, MarkersAt,
    testing::Values(HitCase{105, {103, 104}},          // both at the same pixel, earlier first
                    HitCase{101, {103, 104}},          // the half width to the left
                    HitCase{100, {}},                  // one pixel further
                    HitCase{106, {103, 104, 110}},     // inside all three triangles
                    HitCase{109, {103, 104, 110}},
                    HitCase{110, {110}},
                    HitCase{114, {110}},
                    HitCase{115, {}},
                    HitCase{500, {600}},               // the end marker, at the track's end
                    HitCase{501, {}}));

} // namespace
