// The clip's plan from frame times alone (no files): which picture In and Out fall in, the key
// frame decoding starts from, the telemetry samples of the span; and the checksum list's lines.
#include <gtest/gtest.h>

#include <array>

#include "export/channel_clips.h"
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

// The part of another channel's recording that shows the main piece's span: shifted by the
// channel's lead, clamped to the recording, none when it holds nothing of it.
TEST(ChannelSpan, ShiftsByTheLeadAndClampsToTheRecording) {
  struct Case { const char* why; std::int64_t mainFrom, mainTo, lead, end; bool held; std::int64_t from, to; };
  const Case cases[] = {
      {"inside, a second later", 2500000, 4533333, 1000000, 5000000, true, 1500000, 3533333},
      {"inside, half a second earlier", 2500000, 4533333, -500000, 6500000, true, 3000000, 5033333},
      {"In before its start", 500000, 2033333, 1000000, 5000000, true, 0, 1033333},
      {"Out after its end", 3000000, 5033333, 1000000, 3000000, true, 2000000, 3000000},
      {"all before its start", 200000, 833333, 1000000, 5000000, false, 0, 0},
      {"all after its end", 5000000, 6000000, 1000000, 3000000, false, 0, 0},
      {"ends as the span starts", 4000000, 5000000, 1000000, 3000000, false, 0, 0},
  };
  for (const Case& c : cases) {
    std::int64_t from = -1, to = -1;
    EXPECT_EQ(ChannelSpan(c.mainFrom, c.mainTo, c.lead, c.end, from, to), c.held) << c.why;
    if (c.held) {
      EXPECT_EQ(from, c.from) << c.why;
      EXPECT_EQ(to, c.to) << c.why;
    }
  }
}

// The channel's pieces for a span: the picture on screen at its start through the one on screen
// at its last instant, to the recording's end when the span reaches it.
TEST(ChannelSpan, PlansThePicturesOnScreenAtBothEnds) {
  const RecordingFrames frames = Frames(50, 10);
  struct Case { const char* why; std::int64_t from, to; std::int64_t shownFrom, shownTo; int firstPacket, lastPacket; };
  const Case cases[] = {
      {"frame boundaries", 1500000, 3600000, 1500000, 3600000, 10, 35},
      {"inside frames", 1550000, 3650000, 1500000, 3700000, 10, 36},
      {"to the end", 4200000, 5000000, 4200000, 5000000, 40, 49},
  };
  for (const Case& c : cases) {
    const auto pieces = PlanChannelPiece(QStringLiteral("/card/rear.mp4"), frames, c.from, c.to);
    ASSERT_TRUE(pieces.has_value()) << c.why;
    ASSERT_EQ(pieces->size(), 1u) << c.why;
    const ClipPiece& p = pieces->front();
    EXPECT_EQ(p.path, "/card/rear.mp4") << c.why;
    EXPECT_EQ(p.shownFromUs, c.shownFrom) << c.why;
    EXPECT_EQ(p.shownToUs, c.shownTo) << c.why;
    EXPECT_EQ(p.firstPacket, c.firstPacket) << c.why;
    EXPECT_EQ(p.lastPacket, c.lastPacket) << c.why;
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
