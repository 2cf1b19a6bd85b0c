// The clip's plan from frame times alone (no files): which picture In and Out fall in, the key
// frame decoding starts from, the telemetry samples of the span; and the checksum list's lines.
#include <gtest/gtest.h>

#include <array>

#include "export/clip_plan.h"
#include "export/evidence.h"

namespace korvane {
namespace {

// `count` frames of 100 ms (to keep the numbers readable), a key frame every `gop`.
RecordingFrames Frames(int count, int gop) {
  RecordingFrames r;
  for (int i = 0; i < count; ++i) r.frames.push_back({i * 100000LL, 100000, i % gop == 0});
  r.endUs = count * 100000LL;
  return r;
}

struct PlanCase {
  const char* name;
  std::int64_t inUs, outUs;
  // Expected per piece: recording, shown from/to, first/last packet, samples [first, end).
  std::vector<std::array<std::int64_t, 7>> pieces;
};

const PlanCase kPlans[] = {
    {"InsideFirstMidGop", 1250000, 3000000, {{0, 1200000, 3100000, 10, 30, 12, 31}}},
    {"OnAKeyFrame", 2000000, 2500000, {{0, 2000000, 2600000, 20, 25, 20, 26}}},
    {"AcrossTheJoin", 4750000, 5420000, {{0, 4700000, 5000000, 40, 49, 47, 50}, {1, 0, 500000, 0, 4, 0, 5}}},
    {"WholeOfBoth", 0, -1, {{0, 0, 5000000, 0, 49, 0, 50}, {1, 0, 5000000, 0, 49, 0, 50}}},
    {"OnlyTheSecond", 6000000, -1, {{1, 1000000, 5000000, 10, 49, 10, 50}}},
};

class Plan : public testing::TestWithParam<PlanCase> {};

TEST_P(Plan, SnapsInAndOutToPicturesAndStartsAtAKeyFrame) {
  const PlanCase& c = GetParam();
  ExportRange range;
  range.recordings = {"/a/20250101000000.MP4", "/a/20250101000100.MP4"};
  range.inUs = c.inUs;
  range.outUs = c.outUs;
  const auto pieces = PlanPieces(range, {Frames(50, 10), Frames(50, 10)});
  ASSERT_TRUE(pieces.has_value()) << pieces.error().detail.toStdString();
  ASSERT_EQ(pieces->size(), c.pieces.size());
  for (size_t i = 0; i < c.pieces.size(); ++i) {
    ClipPiece p = (*pieces)[i];
    SampleSpan(p.shownFromUs, p.shownToUs, 1, p.firstSample, p.endSample);
    const auto& e = c.pieces[i];
    EXPECT_EQ(p.path, range.recordings[int(e[0])].toStdString()) << i;
    EXPECT_EQ(p.shownFromUs, e[1]) << i;
    EXPECT_EQ(p.shownToUs, e[2]) << i;
    EXPECT_EQ(p.firstPacket, e[3]) << i;
    EXPECT_EQ(p.lastPacket, e[4]) << i;
    EXPECT_EQ(p.firstSample, e[5]) << i;
    EXPECT_EQ(p.endSample, e[6]) << i;
  }
}

INSTANTIATE_TEST_SUITE_P(Export, Plan, testing::ValuesIn(kPlans),
                         [](const testing::TestParamInfo<PlanCase>& i) { return i.param.name; });

TEST(PlanRange, OutsideOrEmptyIsBadInput) {
  ExportRange range;
  range.recordings = {"/a/20250101000000.MP4"};
  for (const auto& [in, out] : std::vector<std::pair<std::int64_t, std::int64_t>>{
           {5000000, -1}, {-1, 2000000}, {1000000, 6000000}, {2000000, 2000000}, {3000000, 1000000}}) {
    range.inUs = in;
    range.outUs = out;
    const auto pieces = PlanPieces(range, {Frames(50, 10)});
    ASSERT_FALSE(pieces.has_value()) << in << ".." << out;
    EXPECT_EQ(int(pieces.error().kind), int(ExportFailure::BadInput));
  }
}

TEST(SampleSpan, WholeSecondsForTheOnceASecondForms) {
  int first = 0, end = 0;
  SampleSpan(3300000, 9933333, 10, first, end);
  EXPECT_EQ(first, 30);
  EXPECT_EQ(end, 100);
  SampleSpan(3300000, 9933333, 1, first, end);
  EXPECT_EQ(first, 33);
  EXPECT_EQ(end, 100);
}

TEST(ChecksumList, NamesWithABackslashOrLineBreakAreEscapedAsSha256sumDoes) {
  const QByteArray d(64, 'a');
  EXPECT_EQ(ChecksumList({{"clip.MP4", d}, {"../card/a\\b.MP4", d}, {"x\ny", d}}),
            d + "  clip.MP4\n\\" + d + "  ../card/a\\\\b.MP4\n\\" + d + "  x\\ny\n");
}

}  // namespace
}  // namespace korvane
