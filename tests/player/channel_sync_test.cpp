// The arithmetic that keeps the channels of a moment in step, without kernels or a display.
#include "player/channel_sync.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace korvane;

namespace {
constexpr double kFrame30 = 10000000.0 / 30;   // 333 333.3 units
constexpr std::int64_t kSecond = kUnitsPerSecond100ns;
} // namespace

TEST(ChannelLead, TheDurationsGiveTheOffsetWhenTheyAgreeWithTheNames)
{
    struct Case { ChannelClock main, other; std::int64_t lead; const char* why; };
    const Case cases[] = {
        {{100, 60 * kSecond}, {100, 60 * kSecond}, 0, "same start, same length"},
        {{100, 60 * kSecond}, {101, 59 * kSecond - 3000000}, kSecond + 3000000,
         "rear named a second later, shorter by 1.3 s: it started 1.3 s later"},
        {{100, 60 * kSecond}, {100, 59 * kSecond + 4000000}, 6000000, "same name second, 0.6 s shorter: 0.6 s later"},
        {{100, 60 * kSecond}, {100, 58 * kSecond + 6000000}, 0, "1.4 s shorter but named the same second: the names"},
        {{100, 60 * kSecond}, {102, 60 * kSecond}, 2 * kSecond, "durations disagree with the names: the names win"},
        {{101, 59 * kSecond}, {100, 60 * kSecond}, -kSecond, "the other channel started first"},
        {{100, 0}, {101, 60 * kSecond}, kSecond, "no duration known: the names"},
        {{100, 60 * kSecond}, {101, 0}, kSecond, "no duration of the other"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChannelLead(c.main, c.other), c.lead) << c.why;
}

TEST(ChannelTarget, AChannelThatStartsLaterWaitsAndOneThatEndsEarlierHoldsItsLastFrame)
{
    const std::int64_t duration = 10 * kSecond;
    struct Case { std::int64_t main, lead; std::int64_t position; bool before, past; };
    const Case cases[] = {
        {5 * kSecond, kSecond, 4 * kSecond, false, false},
        {5 * kSecond, -kSecond, 6 * kSecond, false, false},
        {kSecond / 2, kSecond, 0, true, false},              // the rear has not begun yet
        {kSecond, kSecond, 0, false, false},                  // its first frame, exactly
        {11 * kSecond, 0, duration - 333334, false, true},    // past its end: its last frame
        {duration - 333334, 0, duration - 333334, false, false},
    };
    for (const Case& c : cases) {
        const ChannelTarget t = TargetFor(c.main, c.lead, duration, kFrame30);
        EXPECT_EQ(t.position, c.position) << c.main << " " << c.lead;
        EXPECT_EQ(t.beforeStart, c.before) << c.main << " " << c.lead;
        EXPECT_EQ(t.pastEnd, c.past) << c.main << " " << c.lead;
        EXPECT_EQ(ShouldRun(t, true), !c.before && !c.past);
        EXPECT_FALSE(ShouldRun(t, false));
    }
}

TEST(SyncStep, PlayingASpeedChangeProportionalToTheDriftPausedASeekFarOffASeek)
{
    const ChannelTarget at{50 * kSecond, false, false};
    // drift: how far the channel stands ahead of its target; asked: the speed it plays at now.
    struct Case { std::int64_t drift; bool playing; int asked; SyncAction action; int rateOffset; };
    const Case cases[] = {
        {0, true, 0, SyncAction::None, 0},
        {30000, true, 0, SyncAction::None, 0},           // within a tenth of a frame
        {80000, true, 0, SyncAction::None, 0},           // within a quarter of a frame at normal speed: left alone
        {80000, true, -60, SyncAction::Rate, -16},       // ... but one already catching up goes on, slower
        {30000, true, -16, SyncAction::Rate, 0},         // within a tenth of a frame: back to normal
        {150000, true, 0, SyncAction::Rate, -30},        // past a quarter of a frame: 3 % slower
        {333333, true, 0, SyncAction::Rate, -67},        // a frame ahead: 6.7 % slower
        {-333333, true, 0, SyncAction::Rate, 67},        // a frame behind: 6.7 % faster
        {-333333, true, 67, SyncAction::None, 0},        // already asked for
        {3000000, true, 0, SyncAction::Rate, -100},      // the change is bounded
        {-3000000, true, 0, SyncAction::Rate, 100},
        {6000000, true, 0, SyncAction::Seek, 0},         // over half a second: seek while playing
        {-333333, false, 0, SyncAction::None, 0},        // paused within a frame
        {400000, false, 0, SyncAction::Seek, 0},         // paused: a small seek
        {-400000, false, 0, SyncAction::Seek, 0},
        {0, false, 20, SyncAction::Rate, 0},             // paused: normal speed for the next run
    };
    for (const Case& c : cases) {
        const SyncStep s = NextSyncStep(at, at.position + c.drift, kFrame30, c.playing, c.asked);
        EXPECT_EQ(s.action, c.action) << c.drift << (c.playing ? " playing" : " paused") << " asked " << c.asked;
        if (s.action == SyncAction::Seek) {
            EXPECT_EQ(s.position, at.position);
        }
        if (s.action == SyncAction::Rate) {
            EXPECT_EQ(s.rateOffset, c.rateOffset) << c.drift << " asked " << c.asked;
        }
    }
}

TEST(SyncStep, AChannelCatchingUpComesWithinAFrameAndStaysThere)
{
    // A channel two frames behind, followed by the tick every 50 ms with the kernel taking each
    // request one pass (50 ms) later: the drift shrinks to under a frame and stays under it.
    const ChannelTarget at{0, false, false};
    double drift = -2 * kFrame30;
    int asked = 0, playing = 0;
    double largestLate = 0;
    for (int tick = 0; tick < 200; ++tick) {
        drift += 500000.0 * playing / 1000.0;   // 50 ms at the speed the kernel plays
        playing = asked;
        const SyncStep s = NextSyncStep(at, std::llround(drift), kFrame30, true, asked);
        ASSERT_NE(s.action, SyncAction::Seek) << tick;
        if (s.action == SyncAction::Rate)
            asked = s.rateOffset;
        if (tick >= 40)
            largestLate = std::max(largestLate, std::abs(drift));
    }
    EXPECT_LT(largestLate, kFrame30 / 4);
    EXPECT_EQ(asked, 0);
}

TEST(PositionNow, ARunningChannelIsCarriedForwardAtItsSpeedForAtMostTwoPasses)
{
    struct Case { std::int64_t reported; std::int32_t age; bool running; int offset; std::int64_t now; };
    const Case cases[] = {
        {kSecond, 40, true, 0, kSecond + 400000},
        {kSecond, 40, true, 50, kSecond + 420000},      // 5 % faster
        {kSecond, 40, true, -100, kSecond + 360000},
        {kSecond, 40, false, 0, kSecond},               // paused: where it was
        {kSecond, 0, true, 0, kSecond},
        {kSecond, -5, true, 0, kSecond},                // a stamp from after now (clock read first)
        {kSecond, 5000, true, 0, kSecond + 1000000},    // a stalled kernel: two passes at most
    };
    for (const Case& c : cases)
        EXPECT_EQ(PositionNow(c.reported, c.age, c.running, c.offset), c.now) << c.age << " " << c.offset;
}

TEST(SyncStep, AChannelHeldAtAnEndIsLeftAloneOnceItShowsThatFrame)
{
    const ChannelTarget past{9 * kSecond, false, true};
    EXPECT_EQ(NextSyncStep(past, 9 * kSecond, kFrame30, true).action, SyncAction::None);
    EXPECT_EQ(NextSyncStep(past, 10 * kSecond, kFrame30, true).action, SyncAction::None);  // ran into its end
    const SyncStep behind = NextSyncStep(past, 2 * kSecond, kFrame30, true);                // a seek left it behind
    EXPECT_EQ(behind.action, SyncAction::Seek);
    EXPECT_EQ(behind.position, 9 * kSecond);
    const ChannelTarget before{0, true, false};
    EXPECT_EQ(NextSyncStep(before, 0, kFrame30, true).action, SyncAction::None);
    const SyncStep rewind = NextSyncStep(before, 3 * kSecond, kFrame30, true);
    EXPECT_EQ(rewind.action, SyncAction::Seek);
    EXPECT_EQ(rewind.position, 0);
}

TEST(InsetRects, AQuarterOfThePanelEachSideBySideInTheLowerRightCorner)
{
    const QList<QRect> two = InsetRects(QSize(1280, 720), 2);
    ASSERT_EQ(two.size(), 2);
    EXPECT_EQ(two[0], QRect(640, 540, 320, 180));
    EXPECT_EQ(two[1], QRect(960, 540, 320, 180));
    const QList<QRect> three = InsetRects(QSize(1000, 600), 3);
    ASSERT_EQ(three.size(), 3);
    EXPECT_EQ(three[0], QRect(250, 450, 250, 150));
    EXPECT_EQ(three[2].right(), 999);
    EXPECT_EQ(three[2].bottom(), 599);
    EXPECT_EQ(InsetRects(QSize(1000, 600), 5).size(), 3);
    EXPECT_TRUE(InsetRects(QSize(1000, 600), 0).isEmpty());
    EXPECT_TRUE(InsetRects(QSize(0, 0), 2).isEmpty());
}
