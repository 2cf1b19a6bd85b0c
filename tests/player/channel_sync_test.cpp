// The arithmetic that keeps the channels of a moment in step, without kernels or a display.
#include "player/channel_sync.h"

#include <gtest/gtest.h>

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

TEST(SyncStep, WithinAFrameNothingPausedASeekPlayingARateFarOffASeek)
{
    const ChannelTarget at{50 * kSecond, false, false};
    struct Case { std::int64_t drift; bool playing; SyncAction action; double rate; };
    const Case cases[] = {
        {0, true, SyncAction::None, 1.0},
        {333333, true, SyncAction::None, 1.0},          // within one frame
        {-333333, false, SyncAction::None, 1.0},
        {400000, false, SyncAction::Seek, 1.0},         // paused: a small seek
        {-400000, false, SyncAction::Seek, 1.0},
        {500000, true, SyncAction::Rate, 0.95},         // 50 ms ahead: 5 % slower
        {-500000, true, SyncAction::Rate, 1.05},        // 50 ms behind: 5 % faster
        {3000000, true, SyncAction::Rate, 0.90},        // the change is bounded
        {-3000000, true, SyncAction::Rate, 1.10},
        {6000000, true, SyncAction::Seek, 1.0},         // over half a second: seek while playing
    };
    for (const Case& c : cases) {
        const SyncStep s = NextSyncStep(at, at.position + c.drift, kFrame30, c.playing);
        EXPECT_EQ(s.action, c.action) << c.drift << (c.playing ? " playing" : " paused");
        if (s.action == SyncAction::Seek) {
            EXPECT_EQ(s.position, at.position);
        }
        EXPECT_NEAR(s.rate, c.rate, 1e-9) << c.drift;
    }
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
