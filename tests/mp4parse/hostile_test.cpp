// Recordings made to exhaust the reader: huge sample tables, comments and side-cars of nothing
// but line breaks, gigabytes of zeros, and ffmpeg's meta box in front of the tracks. Each is
// written sparse where it is large, so the fixtures cost a few kilobytes of disk.
#include <gtest/gtest.h>

#include <algorithm>

#include "fixtures.h"
#include "mp4parse/load_telemetry.h"
#include "mp4parse/mp4_parser.h"
#include "run_process.h"

namespace korvane::test {
namespace {

// The walk is flat, so three tkhd boxes and the third track's tables side by side in the moov
// are a text track. `count` samples are declared; the first `real` of them exist in the leading mdat and
// the rest of both tables is a hole of zeros.
std::string WriteHugeTextTrack(const TempDir& dir, uint32_t count, int real) {
  w::Bytes samples;
  std::vector<uint32_t> sizes, offsets;
  for (int i = 0; i < real; ++i) {
    const w::Bytes s = w::TextSample(SubtitleLine(i));
    offsets.push_back(static_cast<uint32_t>(8 + samples.size()));
    sizes.push_back(static_cast<uint32_t>(s.size()));
    w::Append(samples, s);
  }
  const w::Bytes mdat = w::Box("mdat", samples);
  w::Bytes head = mdat;
  w::Append(head, w::LargeBoxHeader("moov", 0));  // its size is set below
  for (int t = 0; t < 3; ++t) w::Append(head, w::Box("tkhd", w::Zeros(84)));
  w::Append(head, w::FullBox("stts", 0, 0, w::Cat({w::U32(1), w::U32(count), w::U32(100)})));
  const uint64_t table = uint64_t{count} * 4;
  w::Append(head, w::Cat({w::BoxHeader("stsz", static_cast<uint32_t>(20 + table)), w::U32(0), w::U32(0),
                          w::U32(count)}));
  for (uint32_t s : sizes) w::Append(head, w::U32(s));
  const uint64_t stcoAt = head.size() - uint64_t{sizes.size()} * 4 + table;
  w::Bytes stco = w::Cat({w::BoxHeader("stco", static_cast<uint32_t>(16 + table)), w::U32(0), w::U32(count)});
  for (uint32_t o : offsets) w::Append(stco, w::U32(o));
  const uint64_t total = stcoAt + 16 + table;
  const w::Bytes moov = w::LargeBoxHeader("moov", total - mdat.size());
  std::copy(moov.begin(), moov.end(), head.begin() + static_cast<std::ptrdiff_t>(mdat.size()));
  const std::string path = dir.Path("huge_tables.MP4");
  w::WriteSparseFile(path, {{0, head}, {stcoAt, stco}}, stcoAt + 16 + table);
  return path;
}

struct TableCase {
  const char* name;
  uint32_t count;
};

class HugeTextTrack : public testing::TestWithParam<TableCase> {};

TEST_P(HugeTextTrack, KeepsOnlyWhatTheTrackUsesAndCountsEveryLine) {
  TempDir dir;
  const std::string path = WriteHugeTextTrack(dir, GetParam().count, 1000);
  Mp4Parser p;
  ASSERT_EQ(p.Load(path), DataTypeSubtitle);
  EXPECT_EQ(p.lineCount, GetParam().count);
  ASSERT_EQ(p.lines.size(), MaxKeptLines);
  EXPECT_EQ(p.lines[899], SubtitleLine(899));
  EXPECT_LE(p.sampleSizes.capacity(), MaxKeptLines);
  EXPECT_LE(p.chunkOffsets.capacity(), MaxKeptLines);

  // The tool reports the true count and the 900 decoded samples.
  const ProcessResult r = RunCli({"telemetry", path});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string count = std::to_string(GetParam().count);
  EXPECT_EQ(r.out.rfind("# data_type=1 lines=" + count + " samples=" + count + " valid=900", 0), 0u)
      << r.out.substr(0, 120);
}

INSTANTIATE_TEST_SUITE_P(Counts, HugeTextTrack,
                         testing::Values(TableCase{"fifty_million", 50'000'000u},
                                         TableCase{"five_hundred_million", 500'000'000u}),
                         [](const auto& info) { return std::string(info.param.name); });

// Comment blocks and side-cars of line breaks keep at most 900 lines, whatever they hold.
struct FloodCase {
  const char* name;
  std::string text;
  uint64_t lines;  // lines found
};

class LineFlood : public testing::TestWithParam<FloodCase> {};

TEST_P(LineFlood, CommentBlockKeepsAtMost900Lines) {
  DataType type = DataTypeNone;
  std::vector<std::string> lines;
  uint64_t count = 0;
  ASSERT_EQ(ClassifyCommentBlock(GetParam().text, type, lines, count), BlockVerdict::StopBlock);
  EXPECT_EQ(count, GetParam().lines);
  EXPECT_EQ(lines.size(), std::min<uint64_t>(GetParam().lines, MaxKeptLines));
}

INSTANTIATE_TEST_SUITE_P(
    Payloads, LineFlood,
    testing::Values(FloodCase{"short_lines_1MiB", "$" + std::string((1u << 20) - 1, '\n'), 10},
                    FloodCase{"x_and_break_1MiB", [] {
                                std::string s = "$";
                                while (s.size() < (1u << 20)) s += "x\n";
                                return s;
                              }(), 5242880},
                    FloodCase{"gps_block", "GPS00000" + JoinLines(Repeat("a,b", 7)), 70}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineFlood, HugeSidecarIsReadOnlyAsFarAsARealOne) {
  TempDir dir;
  const std::string sidecar = dir.Path("flood.GPS");
  // 10 MB of line breaks.
  {
    std::string text(10'000'000, '\n');
    w::WriteFile(sidecar, w::Bytes(text.begin(), text.end()));
  }
  Mp4Parser p;
  const TelemetryLoadResult r = LoadTelemetryLines(dir.Path("absent.MP4"), sidecar, p);
  EXPECT_EQ(r.dataType, DataTypeGps);
  EXPECT_EQ(r.lines.size(), MaxKeptLines);
  EXPECT_EQ(r.lineCount, MaxSidecarBytes);
  EXPECT_EQ(p.lines.size(), MaxKeptLines);
}

TEST(LineFlood, SidecarBelowTheCapIsCountedWhole) {
  TempDir dir;
  const std::string sidecar = dir.Path("small.GPS");
  w::WriteFile(sidecar, w::Text(JoinLines(Repeat(DollarLine(1), 1234))));
  Mp4Parser p;
  std::vector<std::string> lines;
  TelemetryTrack track;
  bool seen = false;
  EXPECT_EQ(LoadTelemetry(dir.Path("absent.MP4"), sidecar, p, lines, track, seen), DataTypeGps);
  EXPECT_EQ(lines.size(), MaxKeptLines);
  EXPECT_EQ(track.sampleCount, 1234);
  EXPECT_EQ(track.validCount, 90);
}

// Zeros and tiny boxes end the walk after a bounded number of headers, however large the file.
TEST(BoundedWalk, EightGigabytesOfZerosEndAtTheFirstHeader) {
  TempDir dir;
  const std::string path = dir.Path("z.MP4");
  w::WriteSparseFile(path, {}, 8ull << 30);
  Mp4Parser p;
  EXPECT_EQ(p.Load(path), DataTypeNone);
  EXPECT_EQ(p.boxesWalked, 1u);
}

TEST(BoundedWalk, ZerosAfterAValidRecordingEndTheWalkThere) {
  TempDir dir;
  const std::string path = dir.Path("tail.MP4");
  const w::Bytes plain = Recording({});
  w::WriteSparseFile(path, {{0, plain}}, plain.size() + (3ull << 30));
  Mp4Parser p;
  EXPECT_EQ(p.Load(path), DataTypeNone);
  Mp4Parser q;
  w::WriteFile(dir.Path("plain.MP4"), plain);
  EXPECT_EQ(q.Load(dir.Path("plain.MP4")), DataTypeNone);
  // The first header of the zeros ends the walk where the end of the file would.
  EXPECT_EQ(p.boxesWalked, q.boxesWalked);
  EXPECT_LT(p.boxesWalked, 100u);
}

TEST(BoundedWalk, MillionsOfTinyBoxesStopAtTheCap) {
  TempDir dir;
  w::Bytes many;
  for (int i = 0; i < 200'000; ++i) w::Append(many, w::BoxHeader("free", 8));
  w::WriteFile(dir.Path("free.MP4"), many);
  Mp4Parser p;
  EXPECT_EQ(p.Load(dir.Path("free.MP4")), DataTypeNone);
  EXPECT_EQ(p.boxesWalked, MaxWalkedBoxes);
}

// Sizes that cannot be a box end the walk even before a comment that would follow them.
class ImpossibleSize : public testing::TestWithParam<w::Bytes> {};

TEST_P(ImpossibleSize, EndsTheWalk) {
  TempDir dir;
  const w::Bytes comment = w::CommentUdta(JoinLines({DollarLine(0)}));
  w::WriteFile(dir.Path("bad.MP4"), w::Cat({GetParam(), comment}));
  Mp4Parser p;
  EXPECT_EQ(p.Load(dir.Path("bad.MP4")), DataTypeNone);
  EXPECT_EQ(p.boxesWalked, 1u);
  // The same comment alone is found.
  w::WriteFile(dir.Path("good.MP4"), comment);
  EXPECT_EQ(p.Load(dir.Path("good.MP4")), DataTypeDollar);
}

INSTANTIATE_TEST_SUITE_P(Headers, ImpossibleSize,
                         testing::Values(w::BoxHeader("free", 0), w::BoxHeader("free", 4),
                                         w::BoxHeader("free", 7), w::LargeBoxHeader("free", 15),
                                         w::LargeBoxHeader("free", 0)));

// ffmpeg writes udta { meta (version and flags) { hdlr, ilst } } in front of the tracks.
TEST(MetaBox, FfmpegMetaBeforeTheTracksKeepsTheTextTrack) {
  const std::vector<std::string> text = {SubtitleLine(0), SubtitleLine(1), SubtitleLine(2)};
  const w::Bytes meta = w::FullBox("meta", 0, 0, w::Cat({w::Hdlr("mdir", "appl"),
                                                          w::Box("ilst", w::Text("\0\0\0\x19\xA9too"))}));
  TempDir dir;
  w::WriteFile(dir.Path("ff.MP4"), Recording(text, {w::Box("udta", meta)}));
  Mp4Parser p;
  EXPECT_EQ(p.Load(dir.Path("ff.MP4")), DataTypeSubtitle);
  EXPECT_EQ(p.lines, text);
  EXPECT_EQ(p.trackNumber, 3);
}

}  // namespace
}  // namespace korvane::test
