// The read-outs as values: the sample index of a position (clamped to the samples that exist)
// and the captions of a sample.
#include <gtest/gtest.h>

#include <memory>

#include "telemetry_view/readout_model.h"

using namespace korvane;

namespace {

std::unique_ptr<TelemetryTrack> Track(int n)
{
    auto t = std::make_unique<TelemetryTrack>();
    t->sampleCount = n;
    return t;
}

struct IndexCase {
    std::int64_t position;
    std::size_t lines;
    std::int64_t duration;
    int samples;
    std::optional<int> index;
};

class Index : public testing::TestWithParam<IndexCase> {};

TEST_P(Index, OfAPosition)
{
    const IndexCase& c = GetParam();
    EXPECT_EQ(SampleIndexAt(c.position, c.lines, c.duration, *Track(c.samples)), c.index);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Index,
    testing::Values(IndexCase{0, 0, 0, 0, std::nullopt},          // nothing loaded: nothing changes
                    IndexCase{600, 600, 600, 600, std::nullopt},  // at the end
                    IndexCase{123, 600, 600, 600, 123},
                    IndexCase{123, 60, 600, 60, 12},              // a 60-line subtitle track
                    IndexCase{599, 1200, 600, 1200, 899},         // never past the array
                    IndexCase{500, 600, 600, 50, 49},             // never past the decoded samples
                    IndexCase{300, 0, 600, 0, 0},                 // no telemetry: sample 0
                    IndexCase{300, 600, 600, 0, 0},               // lines but nothing decoded
                    IndexCase{-1, 600, 600, 600, std::nullopt}));

TEST(Readout, SpeedTruncatedGlitchZeroNoFixDash)
{
    auto t = Track(5);
    auto& s = t->samples;
    s[0] = {1, 0, 0, 12.9, 0, "G:0.10", "2025/06/14 08:00:00"};
    s[1] = {1, 0, 0, 501, 0, "", "2025/06/14 08:00:01"};
    s[2] = {1, 0, 0, 500, 0, "", ""};
    s[3] = {0, 0, 0, 40, 0, "", "2025/06/14 08:00:03"};
    s[4] = {1, 0, 0, NoSpeed, 0, "", ""};
    const std::vector<std::string> lines = {"line0\r", "line1"};
    const Readout r0 = ReadoutAt(*t, lines, 0);
    EXPECT_TRUE(r0.fix);
    EXPECT_EQ(r0.speed, QStringLiteral("12"));
    EXPECT_EQ(r0.dateTime, QStringLiteral("2025/06/14 08:00:00"));
    EXPECT_EQ(r0.subtitle, QStringLiteral("line0"));
    EXPECT_EQ(ReadoutAt(*t, lines, 1).speed, QStringLiteral("0"));
    EXPECT_EQ(ReadoutAt(*t, lines, 2).speed, QStringLiteral("500"));
    EXPECT_EQ(ReadoutAt(*t, lines, 2).subtitle, QString());
    const Readout noFix = ReadoutAt(*t, lines, 3);
    EXPECT_FALSE(noFix.fix);
    EXPECT_EQ(noFix.speed, QStringLiteral("  -"));
    EXPECT_EQ(ReadoutAt(*t, lines, 4).speed, std::nullopt);  // keeps the previous caption
    // An index past the samples reads the last one.
    EXPECT_EQ(ReadoutAt(*t, lines, 4000).dateTime, QString());
    EXPECT_EQ(ReadoutAt(*t, lines, 4000).speed, std::nullopt);
}

TEST(Readout, ClearedTrackShowsNoFix)
{
    const Readout r = ReadoutAt(*Track(0), {}, 0);
    EXPECT_FALSE(r.fix);
    EXPECT_EQ(r.speed, QStringLiteral("  -"));
    EXPECT_EQ(r.dateTime, QString());
    EXPECT_EQ(r.subtitle, QString());
}

} // namespace
