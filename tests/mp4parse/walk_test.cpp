// The box walk and the extraction of the telemetry lines from synthetic recordings.
#include <gtest/gtest.h>

#include "fixtures.h"
#include "mp4parse/binary_stream.h"
#include "mp4parse/mp4_parser.h"

namespace korvane::test {
namespace {

struct Loaded {
  DataType type = DataTypeNone;
  std::vector<std::string> lines;
  uint32_t textSampleCount = 0;
  int trackNumber = 0;
};

Loaded LoadFile(const std::string& path) {
  Mp4Parser p;
  Loaded r;
  r.type = p.Load(path);
  r.lines = p.lines;
  r.textSampleCount = p.textSampleCount;
  r.trackNumber = p.trackNumber;
  return r;
}

Loaded LoadBytes(const w::Bytes& file) {
  TempDir dir;
  w::WriteFile(dir.Path("rec.MP4"), file);
  return LoadFile(dir.Path("rec.MP4"));
}

std::vector<std::string> SubtitleLines(int n) {
  std::vector<std::string> out;
  for (int i = 0; i < n; ++i) out.push_back(SubtitleLine(i));
  return out;
}

std::vector<std::string> TenTimes(const std::vector<std::string>& lines) {
  std::vector<std::string> out;
  for (const std::string& l : lines)
    for (int k = 0; k < 10; ++k) out.push_back(l);
  return out;
}

std::vector<std::string> DollarLines(int n) {
  std::vector<std::string> out;
  for (int s = 0; s < n; ++s) out.push_back(DollarLine(s));
  return out;
}

TEST(Walk, MarkerThenThreeTracksReadsEveryTextSample) {
  const auto text = SubtitleLines(600);
  const Loaded r = LoadBytes(Recording(text, {w::CommentUdta("KOVAGPS:0001")}));
  EXPECT_EQ(r.type, DataTypeSubtitle);
  EXPECT_EQ(r.lines, text);
}

TEST(Walk, DollarCommentGivesEachLineTenTimes) {
  const auto lines = DollarLines(60);
  const Loaded r = LoadBytes(Recording({}, {w::CommentUdta(JoinLines(lines))}));
  EXPECT_EQ(r.type, DataTypeDollar);
  EXPECT_EQ(r.lines.size(), 600u);
  EXPECT_EQ(r.lines, TenTimes(lines));
}

TEST(Walk, GpsCommentPassesOverItsEightByteHeader) {
  const auto lines = DollarLines(60);
  const std::string payload = std::string("GPS\x01\0\0\x10\x20", 8) + JoinLines(lines);
  const Loaded r = LoadBytes(Recording({}, {w::CommentUdta(payload)}));
  EXPECT_EQ(r.type, DataTypeGps);
  EXPECT_EQ(r.lines, TenTimes(lines));
}

TEST(Walk, LineSplittingKeepsCrAndSkipsEmptyLines) {
  const Loaded r = LoadBytes(Recording({}, {w::CommentUdta("$first line\r\n\n\n$second line")}));
  ASSERT_EQ(r.type, DataTypeDollar);
  std::vector<std::string> want = TenTimes({"$first line\r", "$second line"});
  EXPECT_EQ(r.lines, want);
}

TEST(Walk, FreeCommentBeforeTracksStopsTheWalk) {
  const Loaded r = LoadBytes(Recording(SubtitleLines(20), {w::CommentUdta("a free comment text")}));
  EXPECT_EQ(r.type, DataTypeNone);
  EXPECT_TRUE(r.lines.empty());
  EXPECT_EQ(r.trackNumber, 0);  // no track was counted
  EXPECT_EQ(r.textSampleCount, 0u);
}

TEST(Walk, CommentShorterThanTenBytesStopsTheWalk) {
  const Loaded r = LoadBytes(Recording(SubtitleLines(20), {w::CommentUdta("KOVAGPS:")}));
  EXPECT_EQ(r.type, DataTypeNone);
}

TEST(Walk, UdtaAfterTheThirdTrackIsNeverSeen) {
  const auto text = SubtitleLines(30);
  const Loaded r = LoadBytes(Recording(text, {}, {w::CommentUdta(JoinLines(DollarLines(5)))}));
  EXPECT_EQ(r.type, DataTypeSubtitle);
  EXPECT_EQ(r.lines, text);
}

TEST(Walk, OnlyTwoTracksRunsToTheEnd) {
  const Loaded none = LoadBytes(Recording({}));
  EXPECT_EQ(none.type, DataTypeNone);
  EXPECT_EQ(none.textSampleCount, 0u);
  EXPECT_EQ(none.trackNumber, 2);
  // With two tracks the walk reaches a comment placed after them.
  const Loaded dollar = LoadBytes(Recording({}, {}, {w::CommentUdta(JoinLines(DollarLines(3)))}));
  EXPECT_EQ(dollar.type, DataTypeDollar);
  EXPECT_EQ(dollar.lines.size(), 30u);
}

TEST(Walk, FfmpegMetaAfterTwoTracksIsHarmless) {
  // ffmpeg's udta { meta (version word) { hdlr, ilst } }: entered without skipping the version
  // word, the walk reads out of step; it must still end cleanly.
  const w::Bytes meta = w::FullBox("meta", 0, 0, w::Cat({w::Hdlr("mdir", ""),
                                                          w::Box("ilst", w::Text("\0\0\0\x19\xA9too"))}));
  const Loaded r = LoadBytes(Recording({}, {}, {w::Box("udta", meta)}));
  EXPECT_EQ(r.type, DataTypeNone);
}

TEST(Walk, StcoCountMismatchMakesTheTrackUnusable) {
  w::FileSpec spec;
  spec.tracks = {VideoTrack(), AudioTrack(), TextTrack(SubtitleLines(10))};
  spec.tracks[2].stcoCount = 9;
  // A comment after the tracks proves the walk finished at the stco.
  spec.moovAfterTracks = {w::CommentUdta(JoinLines(DollarLines(2)))};
  const Loaded r = LoadBytes(w::BuildFile(spec));
  EXPECT_EQ(r.type, DataTypeNone);
  EXPECT_EQ(r.textSampleCount, 0u);
}

TEST(Walk, StszCountMismatchGivesNoTelemetry) {
  w::FileSpec spec;
  spec.tracks = {VideoTrack(), AudioTrack(), TextTrack(SubtitleLines(10))};
  spec.tracks[2].stszCount = 11;
  EXPECT_EQ(LoadBytes(w::BuildFile(spec)).type, DataTypeNone);
}

TEST(Walk, EarlierTracksTablesDoNotCount) {
  // Tracks 1 and 2 carry stts/stsz/stco with counts unlike the text track's.
  const auto text = SubtitleLines(7);
  w::FileSpec spec;
  spec.tracks = {VideoTrack(), AudioTrack(), TextTrack(text)};
  spec.moovFirst = true;
  const Loaded r = LoadBytes(w::BuildFile(spec));
  EXPECT_EQ(r.type, DataTypeSubtitle);
  EXPECT_EQ(r.textSampleCount, 7u);
  EXPECT_EQ(r.lines, text);
}

TEST(Walk, LargeSizeBoxIsSkippedByItsLargeSize) {
  const auto text = SubtitleLines(12);
  // A 64-bit sized free box in front of the tracks.
  const w::Bytes large = w::LargeBox("free", w::Bytes(300, 0x01));
  w::FileSpec spec;
  spec.tracks = {VideoTrack(), AudioTrack(), TextTrack(text)};
  spec.moovBeforeTracks = {large};
  EXPECT_EQ(LoadBytes(w::BuildFile(spec)).lines, text);
}

// Files with a huge box between the media data and the moov, written sparse.
struct HugeBoxCase {
  const char* name;
  bool large;       // size 1 with a 64-bit large size, else a 32-bit size
  uint64_t size;    // whole box
};

class HugeBox : public testing::TestWithParam<HugeBoxCase> {};

TEST_P(HugeBox, IsSkippedByItsFullSize) {
  const HugeBoxCase c = GetParam();
  const auto text = SubtitleLines(25);
  const w::Bytes file = Recording(text);
  const auto top = w::ListChildren(file, 0, file.size());
  ASSERT_EQ(top.back().type, "moov");
  const uint64_t moovAt = top.back().offset;
  const w::Bytes head(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(moovAt));
  const w::Bytes moov(file.begin() + static_cast<std::ptrdiff_t>(moovAt), file.end());
  const w::Bytes boxHead = c.large ? w::LargeBoxHeader("mdat", c.size)
                                   : w::BoxHeader("free", static_cast<uint32_t>(c.size));
  TempDir dir;
  const std::string path = dir.Path("huge.MP4");
  w::WriteSparseFile(path, {{0, head}, {moovAt, boxHead}, {moovAt + c.size, moov}},
                     moovAt + c.size + moov.size());
  const Loaded r = LoadFile(path);
  EXPECT_EQ(r.type, DataTypeSubtitle);
  EXPECT_EQ(r.lines, text);
}

INSTANTIATE_TEST_SUITE_P(Sizes, HugeBox,
                         testing::Values(HugeBoxCase{"size32_2GiB", false, 0x80000010ull},
                                         HugeBoxCase{"size32_4GiB", false, 0xFFFFFFF0ull},
                                         HugeBoxCase{"large_5GiB", true, 5ull << 30}),
                         [](const auto& info) { return std::string(info.param.name); });

// Text samples of unusual size: the text starts after the 2-byte length and ends at the first
// NUL; a sample of 260 bytes or more is cut to 259; one shorter than 2 gives an empty line.
struct SampleCase {
  const char* name;
  w::Bytes sample;
  std::string line;
};

class TextSampleSize : public testing::TestWithParam<SampleCase> {};

TEST_P(TextSampleSize, GivesTheLine) {
  const SampleCase c = GetParam();
  w::FileSpec spec;
  w::TrackSpec text = TextTrack({"before"});
  text.samples.push_back(c.sample);
  text.samples.push_back(w::TextSample("after"));
  spec.tracks = {VideoTrack(), AudioTrack(), text};
  const Loaded r = LoadBytes(w::BuildFile(spec));
  ASSERT_EQ(r.type, DataTypeSubtitle);
  ASSERT_EQ(r.lines.size(), 3u);
  EXPECT_EQ(r.lines[0], "before");
  EXPECT_EQ(r.lines[1], c.line);
  EXPECT_EQ(r.lines[2], "after");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TextSampleSize,
    testing::Values(SampleCase{"empty", {}, ""}, SampleCase{"one_byte", {0x41}, ""},
                    SampleCase{"length_only", {0, 0}, ""},
                    SampleCase{"trailing_lf", w::TextSample("abc\n"), "abc"},
                    SampleCase{"only_one_lf_removed", w::TextSample("abc\n\n"), "abc\n"},
                    SampleCase{"embedded_nul", w::TextSample(std::string("ab\0cd", 5)), "ab"},
                    SampleCase{"size_259", w::TextSample(std::string(257, 'x')), std::string(257, 'x')},
                    SampleCase{"size_260_cut", w::TextSample(std::string(258, 'y')), std::string(257, 'y')},
                    SampleCase{"size_5000_cut", w::TextSample(std::string(4998, 'z')), std::string(257, 'z')}),
    [](const auto& info) { return std::string(info.param.name); });

// Tables outside the model: no telemetry from the text track, nothing read out of bounds.
struct BrokenTableCase {
  const char* name;
  void (*apply)(w::TrackSpec&);
};

class BrokenTable : public testing::TestWithParam<BrokenTableCase> {};

TEST_P(BrokenTable, GivesNoTelemetry) {
  w::TrackSpec text = TextTrack(SubtitleLines(4));
  GetParam().apply(text);
  w::FileSpec spec;
  spec.tracks = {VideoTrack(), AudioTrack(), text};
  const Loaded r = LoadBytes(w::BuildFile(spec));
  EXPECT_EQ(r.type, DataTypeNone);
  EXPECT_TRUE(r.lines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BrokenTable,
    testing::Values(
        BrokenTableCase{"offsets_descending",
                        [](w::TrackSpec& t) { t.chunkOffsets = std::vector<uint32_t>{400, 300, 200, 100}; }},
        BrokenTableCase{"offsets_overlapping",
                        [](w::TrackSpec& t) { t.chunkOffsets = std::vector<uint32_t>{100, 101, 102, 103}; }},
        BrokenTableCase{"offset_past_end",
                        [](w::TrackSpec& t) { t.chunkOffsets = std::vector<uint32_t>{100, 200, 300, 0xFFFFFF00u}; }},
        BrokenTableCase{"size_past_end",
                        [](w::TrackSpec& t) { t.sampleSizes = std::vector<uint32_t>{10, 10, 10, 0xFFFFFFF0u}; }},
        BrokenTableCase{"counts_exceed_box",
                        [](w::TrackSpec& t) {
                          t.stts = std::vector<w::SttsEntry>{{0x40000000, 100}};
                          t.stszCount = 0x40000000;
                          t.stcoCount = 0x40000000;
                        }},
        BrokenTableCase{"stco_table_short",
                        [](w::TrackSpec& t) { t.chunkOffsets = std::vector<uint32_t>{100, 200}; t.stcoCount = 4; }},
        BrokenTableCase{"stts_too_short",
                        [](w::TrackSpec& t) {
                          t.rawStbl = w::Box("stbl", w::Cat({w::Stsd("sbtl"), w::FullBox("stts", 0, 0, w::U32(1)),
                                                             w::Stsz({5}), w::Stco({40})}));
                        }},
        BrokenTableCase{"stsz_too_short",
                        [](w::TrackSpec& t) {
                          t.rawStbl = w::Box("stbl", w::Cat({w::Stts({{1, 100}}), w::FullBox("stsz", 0, 0, w::U32(0)),
                                                             w::Stco({40})}));
                        }},
        BrokenTableCase{"no_samples",
                        [](w::TrackSpec& t) { t.samples.clear(); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Walk, MissingFileIsNoTelemetry) {
  TempDir dir;
  Mp4Parser p;
  EXPECT_EQ(p.Load(dir.Path("absent.MP4")), DataTypeNone);
  EXPECT_TRUE(p.lines.empty());
}

TEST(Walk, ExistingButUnopenableFileRaisesFileOpenError) {
  TempDir dir;
  Mp4Parser p;
  try {
    p.Load(dir.dir());  // a folder exists but is no readable recording
    FAIL() << "no exception";
  } catch (const MP4::BinaryStreamException& e) {
    EXPECT_EQ(e.Code(), 1);
    EXPECT_STREQ(e.what(), "File open error");
  }
}

TEST(Walk, LoadResetsThePreviousLoad) {
  TempDir dir;
  w::WriteFile(dir.Path("a.MP4"), Recording(SubtitleLines(5)));
  w::WriteFile(dir.Path("b.MP4"), Recording({}));
  Mp4Parser p;
  ASSERT_EQ(p.Load(dir.Path("a.MP4")), DataTypeSubtitle);
  EXPECT_EQ(p.sampleSizes.size(), 5u);
  EXPECT_EQ(p.Load(dir.Path("b.MP4")), DataTypeNone);
  EXPECT_TRUE(p.lines.empty());
  EXPECT_TRUE(p.sampleSizes.empty());
  EXPECT_TRUE(p.chunkOffsets.empty());
  EXPECT_EQ(p.textSampleCount, 0u);
  ASSERT_EQ(p.Load(dir.Path("a.MP4")), DataTypeSubtitle);
  p.Reset();
  EXPECT_TRUE(p.lines.empty());
  EXPECT_EQ(p.textSampleCount, 0u);
}

TEST(BinaryStreamException, Messages) {
  EXPECT_STREQ(MP4::BinaryStreamException(0).what(), "No input file");
  EXPECT_STREQ(MP4::BinaryStreamException(1).what(), "File open error");
  EXPECT_STREQ(MP4::BinaryStreamException(2).what(), "Unknown exception");
  EXPECT_STREQ(MP4::BinaryStreamException(-7).what(), "Unknown exception");
}

TEST(BinaryStream, ReadsForwardsAndReportsTheEnd) {
  TempDir dir;
  w::WriteFile(dir.Path("f"), w::Cat({w::U32(0x01020304), w::U64(0x1122334455667788ull), w::U32(7)}));
  MP4::BinaryStream s;
  s.Open(dir.Path("f"));
  EXPECT_EQ(s.ReadUInt32BE(), 0x01020304u);
  EXPECT_EQ(s.ReadUInt64BE(), 0x1122334455667788ull);
  s.Skip(0);
  s.Skip(-5);
  EXPECT_FALSE(s.AtEnd());
  EXPECT_EQ(s.ReadUInt32BE(), 7u);
  EXPECT_FALSE(s.AtEnd());  // reading exactly to the end is not running past it
  EXPECT_EQ(s.ReadUInt32BE(), 0u);
  EXPECT_TRUE(s.AtEnd());
  s.Close();
  s.Open(dir.Path("f"));
  s.SkipUnsigned(~0ull);  // beyond anything a stream offset can express
  EXPECT_TRUE(s.AtEnd());
  EXPECT_THROW(s.Open(dir.Path("missing")), MP4::BinaryStreamException);
}

}  // namespace
}  // namespace korvane::test
