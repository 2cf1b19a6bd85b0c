#include "library/skin_scroll_bar.h"

#include <gtest/gtest.h>

#include <vector>

using namespace korvane;

namespace {
// A file bar as the window lays it out: container 18 wide, track filling it from the top.
SkinScrollBar VerticalBar(int height)
{
    SkinScrollBar bar;
    bar.orientation = 1;
    bar.container = QSize(18, height);
    bar.Init();
    bar.track = QRect(0, 0, 18, height);
    bar.Relayout();
    return bar;
}

SkinScrollBar SeekBar(int width)
{
    SkinScrollBar bar;
    bar.orientation = 0;
    bar.hasFill = true;
    bar.container = QSize(width, 18);
    bar.track = QRect(0, 0, 0, 15);
    bar.thumb = QRect(0, 0, 20, 15);
    bar.Init();
    bar.Relayout();
    return bar;
}
} // namespace

TEST(SkinScrollBar, InitAndRelayout)
{
    SkinScrollBar v = VerticalBar(205);
    EXPECT_EQ(v.minValue, 0);
    EXPECT_EQ(v.maxValue, 10);
    EXPECT_EQ(v.position, 0);
    EXPECT_EQ(v.track.left(), 1);
    EXPECT_EQ(v.track.width(), 17);
    EXPECT_EQ(v.thumb.width(), 17);
    EXPECT_EQ(v.trackStart, 0);

    SkinScrollBar h = SeekBar(300);
    EXPECT_EQ(h.track, QRect(10, 0, 280, 15));
    EXPECT_EQ(h.trackStart, 10);
    EXPECT_EQ(h.trackEnd, 10 + 280 - 20);
    EXPECT_EQ(h.thumb.height(), 15);
    EXPECT_EQ(h.fill.left(), 10);
}

struct RangeCase {
    int containerHeight, count, thumbHeight, trackEnd, maxValue;
};

TEST(SkinScrollBar, SetRangeThumbSize)
{
    const RangeCase cases[] = {
        {100, 20, 25, 75, 20},   // 5 computed, raised to the minimum 25
        {205, 1, 205, 0, 1},
        {205, 2, 102, 103, 2},
        {205, 8, 25, 180, 8},    // 25.6 truncated to 25
        {205, 0, 205, 0, 0},     // no range: the thumb fills the container
        {205, -1, 205, 0, -1},
        {200, 3, 66, 134, 3},
    };
    for (const RangeCase& c : cases) {
        SkinScrollBar bar = VerticalBar(c.containerHeight);
        bar.SetRange(c.count);
        EXPECT_EQ(bar.thumb.height(), c.thumbHeight) << c.containerHeight << "/" << c.count;
        EXPECT_EQ(bar.trackEnd, c.trackEnd) << c.count;
        EXPECT_EQ(bar.maxValue, c.maxValue);
        EXPECT_EQ(bar.thumbCorner, c.count >= 1 ? 12 : 0);
    }
    SkinScrollBar scaled = VerticalBar(300);
    scaled.scale = 1.75;
    scaled.SetRange(4);
    EXPECT_EQ(scaled.thumbCorner, 21);
}

struct PositionCase {
    int count, value, position, thumbTop;
};

TEST(SkinScrollBar, SetPositionVerticalRoundsUp)
{
    // container 200, range 3: thumb 66, span 134.
    const PositionCase cases[] = {
        {3, 0, 0, 0}, {3, 1, 1, 45},   // 44.67 up to 45
        {3, 2, 2, 90},                 // 89.33 up to 90
        {3, 3, 3, 134}, {3, 9, 3, 134}, {3, -4, 0, 0},
        {0, 5, 0, 0},                  // range 0: the thumb sits at the track start
        {20, 11, 11, 97},              // thumb 25 (minimum), span 175: 96.25 up to 97
    };
    for (const PositionCase& c : cases) {
        SkinScrollBar bar = VerticalBar(200);
        bar.SetRange(c.count);
        bar.SetPosition(c.value);
        EXPECT_EQ(bar.position, c.position) << c.count << "/" << c.value;
        EXPECT_EQ(bar.thumb.top(), c.thumbTop) << c.count << "/" << c.value;
    }
}

TEST(SkinScrollBar, SetPositionHorizontalTruncatesAndFills)
{
    SkinScrollBar bar = SeekBar(300);  // span 260
    bar.maxValue = 3;
    bar.SetPosition(1);
    EXPECT_EQ(bar.thumb.left(), 10 + 86);  // 86.67 truncated
    EXPECT_EQ(bar.fill.width(), 86 + 10);  // thumb left - track left + thumb width / 2
    bar.SetPosition(3);
    EXPECT_EQ(bar.thumb.left(), 270);
}

TEST(SkinScrollBar, DragTo)
{
    SkinScrollBar bar = VerticalBar(200);
    bar.SetRange(3);  // span 134
    bar.grabOffset = 10;
    bar.DragTo(10 + 44);  // top 44: 3*44/134 = 0.985, rounded up
    EXPECT_EQ(bar.thumb.top(), 44);
    EXPECT_EQ(bar.position, 1);
    bar.DragTo(10 + 1);   // top 45: 1.007 rounded up to 2
    EXPECT_EQ(bar.position, 2);
    bar.DragTo(10 + 500); // clamped to the track end
    EXPECT_EQ(bar.thumb.top(), 134);
    EXPECT_EQ(bar.position, 3);
    bar.DragTo(10 - 900);
    EXPECT_EQ(bar.thumb.top(), 0);
    EXPECT_EQ(bar.position, 0);

    SkinScrollBar none = VerticalBar(200);
    none.SetRange(0);
    none.DragTo(50);  // no range: a vertical bar does not move
    EXPECT_EQ(none.thumb.top(), 0);
    EXPECT_EQ(none.position, 0);

    SkinScrollBar seek = SeekBar(300);  // span 260
    seek.maxValue = 1000;
    seek.grabOffset = 5;
    seek.DragTo(5 + 130);
    EXPECT_EQ(seek.thumb.left(), 140);
    EXPECT_EQ(seek.position, 500);
    EXPECT_EQ(seek.fill.width(), 140);
}

struct WheelCase {
    int range, start, delta, position;
};

TEST(SkinScrollBar, WheelMovesOneRowWithinRange)
{
    const WheelCase cases[] = {
        {10, 4, -120, 5},   // towards the user: one row down
        {10, 4, -1, 5},     // any size of delta is one row
        {10, 4, -960, 5},
        {10, 4, 120, 3},
        {10, 0, 120, 0},    // away from the user at the top: stays
        {10, 10, -120, 10}, // towards the user at the bottom: stays
        {10, 4, 0, 4},
        {0, 0, -120, 0},
    };
    for (const WheelCase& c : cases) {
        SkinScrollBar bar = VerticalBar(200);
        bar.SetRange(c.range);
        bar.SetPosition(c.start);
        bar.WheelStep(c.delta);
        EXPECT_EQ(bar.position, c.position) << c.range << "/" << c.start << "/" << c.delta;
        if (c.range > 0) {
            EXPECT_EQ(bar.thumb.top(), (c.position * bar.trackEnd + c.range - 1) / c.range);
        }
    }
    // The wheel works in the range Init gives (10) as well.
    SkinScrollBar fresh = VerticalBar(200);
    fresh.WheelStep(-120);
    EXPECT_EQ(fresh.position, 1);
}

TEST(SkinScrollBar, HoldOnTrackMovesOneRowWaitsNineTicksThenFollowsEveryTick)
{
    SkinScrollBar bar = VerticalBar(100);
    bar.SetRange(20);  // thumb 25, span 75
    bar.PressTrack(95);
    EXPECT_FALSE(bar.backward);
    int counter = 0;
    std::vector<bool> moved;
    std::vector<int> positions;
    bool restart = true;
    while (restart && moved.size() < 100) {
        moved.push_back(bar.TrackTick(counter, restart));
        positions.push_back(bar.position);
    }
    const std::vector<bool> pattern{true, false, false, false, false, false, false, false, false, false,
                                    true, true, true, true, true, true, true, true, true};
    EXPECT_EQ(moved, pattern);
    EXPECT_EQ(positions.front(), 1);
    EXPECT_EQ(bar.thumb.top(), 72);  // position 19 covers the press point at 95
    EXPECT_EQ(positions.back(), 19);
    EXPECT_EQ(positions[10], 11);    // the 11th tick takes over the rows counted meanwhile

    // Backward: a press above the thumb.
    bar.PressTrack(10);
    EXPECT_TRUE(bar.backward);
    counter = 0;
    EXPECT_TRUE(bar.TrackTick(counter, restart));
    EXPECT_EQ(bar.position, 18);
    EXPECT_TRUE(restart);

    // A press right beside the thumb at the top: one row, then no repeat.
    SkinScrollBar top = VerticalBar(100);
    top.SetRange(20);
    top.PressTrack(26);
    counter = 0;
    EXPECT_TRUE(top.TrackTick(counter, restart));
    EXPECT_EQ(top.position, 1);
    EXPECT_FALSE(restart);  // thumb now 4..29 covers 26
}
