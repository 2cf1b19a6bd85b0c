// Damaged recordings: truncated at every length, garbage, and box sizes that make no sense.
// None may crash, hang, read out of bounds or report telemetry it cannot have.
#include <gtest/gtest.h>

#include <filesystem>
#include <random>

#include "fixtures.h"
#include "mp4parse/mp4_parser.h"

namespace korvane::test {
namespace {

// Writes a fresh file each time: truncating an existing one makes ext4 flush it to disk.
void WriteFresh(const std::string& path, const w::Bytes& data) {
  std::filesystem::remove(path);
  w::WriteFile(path, data);
}

DataType LoadType(const std::string& path, std::vector<std::string>* lines = nullptr) {
  Mp4Parser p;
  const DataType t = p.Load(path);
  if (lines) *lines = p.lines;
  return t;
}

TEST(Robustness, TruncatedAtEveryLength) {
  std::vector<std::string> text;
  for (int i = 0; i < 8; ++i) text.push_back(SubtitleLine(i));
  w::FileSpec spec;
  spec.tracks = {VideoTrack(), AudioTrack(), TextTrack(text)};
  spec.moovFirst = true;  // the text samples come last, so late cuts hit them
  spec.moovBeforeTracks = {w::CommentUdta("KOVAGPS:0001")};
  const w::Bytes whole = w::BuildFile(spec);
  TempDir dir;
  const std::string path = dir.Path("cut.MP4");
  for (size_t len = 0; len <= whole.size(); ++len) {
    WriteFresh(path, w::Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(len)));
    std::vector<std::string> lines;
    const DataType t = LoadType(path, &lines);
    if (len == whole.size()) {
      EXPECT_EQ(t, DataTypeSubtitle);
      EXPECT_EQ(lines, text);
    } else {
      // A cut file either lost its text track or still holds every sample the tables name.
      EXPECT_TRUE(t == DataTypeNone || (t == DataTypeSubtitle && lines == text)) << "length " << len;
    }
  }
}

TEST(Robustness, TruncatedCommentBlock) {
  const w::Bytes whole = Recording({}, {w::CommentUdta("$210917,050045,0A14,A,3539.12345,13945.12345,100\n")});
  TempDir dir;
  const std::string path = dir.Path("cut.MP4");
  for (size_t len = 0; len < whole.size(); ++len) {
    WriteFresh(path, w::Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(len)));
    std::vector<std::string> lines;
    const DataType t = LoadType(path, &lines);
    EXPECT_LE(lines.size(), 10u);
    EXPECT_TRUE(t == DataTypeNone || t == DataTypeDollar);
  }
}

TEST(Robustness, RandomBytes) {
  std::mt19937 rng(20210917);
  TempDir dir;
  const std::string path = dir.Path("noise.MP4");
  for (int round = 0; round < 200; ++round) {
    w::Bytes noise(static_cast<size_t>(rng() % 4096));
    for (uint8_t& b : noise) b = static_cast<uint8_t>(rng());
    WriteFresh(path, noise);
    EXPECT_NO_THROW(LoadType(path));
  }
}

TEST(Robustness, RandomMutationsOfAValidFile) {
  std::vector<std::string> text;
  for (int i = 0; i < 5; ++i) text.push_back(SubtitleLine(i));
  const w::Bytes whole = Recording(text, {w::CommentUdta("KOVAGPS:0001")});
  std::mt19937 rng(42);
  TempDir dir;
  const std::string path = dir.Path("mut.MP4");
  for (int round = 0; round < 500; ++round) {
    w::Bytes copy = whole;
    for (int k = 0; k < 4; ++k) copy[rng() % copy.size()] = static_cast<uint8_t>(rng());
    WriteFresh(path, copy);
    std::vector<std::string> lines;
    EXPECT_NO_THROW(LoadType(path, &lines));
    for (const std::string& l : lines) EXPECT_LT(l.size(), 260u);
  }
}

struct GarbageCase {
  const char* name;
  w::Bytes data;
};

class Garbage : public testing::TestWithParam<GarbageCase> {};

TEST_P(Garbage, GivesNoTelemetry) {
  TempDir dir;
  w::WriteFile(dir.Path("g.MP4"), GetParam().data);
  EXPECT_EQ(LoadType(dir.Path("g.MP4")), DataTypeNone);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Garbage,
    testing::Values(GarbageCase{"empty", {}}, GarbageCase{"zeros", w::Bytes(10000, 0)},
                    GarbageCase{"ones", w::Bytes(10000, 0xFF)},
                    GarbageCase{"text", w::Text("this is not a recording at all, just some text\n")},
                    // Headers with sizes below 8 cannot be boxes; they end the walk.
                    GarbageCase{"tiny_sizes", w::Cat({w::BoxHeader("moov", 3), w::BoxHeader("trak", 0),
                                                      w::BoxHeader("tkhd", 7), w::BoxHeader("stts", 2)})},
                    GarbageCase{"large_size_below_header",
                                w::Cat({w::LargeBoxHeader("free", 3), w::LargeBoxHeader("mdat", 0)})},
                    GarbageCase{"comment_past_end", w::Cat({w::BoxHeader("udta", 8), w::BoxHeader("@CMT", 0x1000),
                                                            w::Text("$210917,050045,0A14,A,1,2,3")})},
                    GarbageCase{"comment_too_large", w::Cat({w::BoxHeader("udta", 8), w::BoxHeader("@CMT", 0xFFFFFF00u),
                                                             w::Text("$210917,050045,0A14,A,1,2,3")})},
                    GarbageCase{"nested_containers_only",
                                w::Cat({w::BoxHeader("moov", 0xFFFFFFFFu), w::BoxHeader("trak", 0xFFFFFFFFu),
                                        w::BoxHeader("mdia", 0xFFFFFFFFu), w::BoxHeader("minf", 0xFFFFFFFFu)})}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane::test
