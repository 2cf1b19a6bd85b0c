#include <gtest/gtest.h>

#include "player/play_time.h"
#include "player/transport.h"

using namespace korvane;

TEST(PlayTime, ASixtyPointZeroSixSecondRecordingEndsAtTenth599)
{
    const float seconds = DurationSeconds(600600000);
    EXPECT_FLOAT_EQ(seconds, 60.0f);
    EXPECT_EQ(DurationTenths(seconds), 600);
    EXPECT_FALSE(ReachedEnd(seconds, 598));
    EXPECT_TRUE(ReachedEnd(seconds, 599));
}

TEST(PlayTime, PositionsUseTheViewersSecond)
{
    struct Case { std::int64_t units; std::int64_t tenths; };
    const Case cases[] = {{0, 0}, {1000999, 0}, {1001000, 1}, {10010000, 10}, {100100000, 100}, {-1001000, -1}};
    for (const Case& c : cases)
        EXPECT_EQ(PositionTenths(c.units), c.tenths) << c.units;
}

TEST(PlayTime, EndTestIgnoresTinyDurations)
{
    EXPECT_FALSE(ReachedEnd(0.001f, 100000));
    EXPECT_FALSE(ReachedEnd(0.0f, 0));
    EXPECT_TRUE(ReachedEnd(0.25f, 2));
    EXPECT_FALSE(ReachedEnd(0.25f, 1));
}

TEST(PlayTime, BarPosition100SeeksTo100100000)
{
    EXPECT_EQ(SeekTarget(100), 100100000);
    EXPECT_EQ(SeekTarget(0), 0);
}

TEST(PlayTime, ChartPositionsAreClampedToTheRecording)
{
    // A 45-second recording drawn over 500 samples: the right edge gives 449.
    EXPECT_EQ(ChartPosition(800, 800, 500, 450), 449);
    EXPECT_EQ(ChartPosition(400, 800, 500, 450), 250);
    EXPECT_EQ(ChartPosition(-5, 800, 500, 450), 0);
    EXPECT_EQ(ChartPosition(10, 0, 500, 450), 0);
    EXPECT_EQ(ChartPosition(10, 800, 500, 0), 0);
}

TEST(Transport, Combinations)
{
    using S = TransportSituation;
    EXPECT_EQ(ControlsFor(S::NothingLoaded), (TransportControls{false, false, false, LitPicture::Stop}));
    EXPECT_EQ(ControlsFor(S::Playing), (TransportControls{false, true, true, LitPicture::Play}));
    EXPECT_EQ(ControlsFor(S::Paused), (TransportControls{true, false, true, LitPicture::Pause}));
    EXPECT_EQ(ControlsFor(S::Stopped), (TransportControls{true, false, false, LitPicture::Stop}));
}
