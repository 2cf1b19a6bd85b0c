// Telling damaged recordings from healthy ones by their top-level boxes.
#include <gtest/gtest.h>

#include "fixtures.h"
#include "mp4repair/damage.h"

namespace korvane::test {
namespace {

using repair::CheckRecording;
using repair::FileState;

// A healthy synthetic recording: ftyp, mdat, moov.
w::Bytes Healthy() { return Recording({"line one", "line two"}); }

size_t MdatAt(const w::Bytes& file) {
  for (const w::BoxInfo& b : w::ListChildren(file, 0, file.size()))
    if (b.type == "mdat") return b.offset;
  return 0;
}

struct DetectCase {
  const char* name;
  FileState state;
  const char* reason;  // part of the reason
  w::Bytes (*make)();
};

w::Bytes CutWithSizeZero() {
  w::Bytes f = Healthy();
  const size_t mdat = MdatAt(f);
  f.resize(mdat + 20);
  for (int k = 0; k < 4; ++k) f[mdat + k] = 0;
  return f;
}
w::Bytes CutWithSizeKept() {
  w::Bytes f = Healthy();
  f.resize(MdatAt(f) + 20);
  return f;
}
w::Bytes SizeOneWithoutLargeSize() {
  w::Bytes f = w::Ftyp();
  w::Append(f, w::BoxHeader("mdat", 1));
  w::Append(f, {0, 0, 0});
  return f;
}
w::Bytes SizeOneWithZeroLargeSize() {
  w::Bytes f = w::Ftyp();
  w::Append(f, w::LargeBoxHeader("mdat", 0));
  w::Append(f, w::Zeros(100));
  return f;
}
// The camera last wrote an mdat size of 64 bytes; more media data followed before the cut.
w::Bytes StaleMdatSize() {
  w::Bytes f = w::Ftyp();
  w::Append(f, w::BoxHeader("mdat", 72));
  w::Append(f, w::Zeros(64));
  w::Append(f, w::Bytes(100, 0xC7));
  return f;
}
w::Bytes LargeSizePastEnd() {
  w::Bytes f = w::Ftyp();
  w::Append(f, w::LargeBoxHeader("mdat", 1ull << 33));
  w::Append(f, w::Zeros(100));
  return f;
}
w::Bytes NoMoov() {
  return w::Cat({w::Ftyp(), w::Box("mdat", w::Zeros(64))});
}
w::Bytes MoovCut() {
  w::Bytes f = Healthy();
  f.resize(f.size() - 10);
  return f;
}
w::Bytes MoovFirst() {
  w::FileSpec spec;
  spec.tracks = {VideoTrack(), AudioTrack()};
  spec.moovFirst = true;
  return w::BuildFile(spec);
}
w::Bytes TrailingPadding() { return w::Cat({Healthy(), w::Zeros(3), w::Bytes(40, 0xFF)}); }
// The mdat header itself overwritten: the media data is taken to follow it.
w::Bytes DamagedMdatHeader() {
  w::Bytes f = CutWithSizeZero();
  const size_t mdat = MdatAt(f);
  for (size_t i = mdat; i < mdat + 8; ++i) f[i] = 0xE5;
  return f;
}
w::Bytes RandomBytes() {
  w::Bytes f(4096);
  uint32_t x = 12345;
  for (auto& b : f) b = uint8_t((x = x * 1103515245u + 12345u) >> 24);
  return f;
}
w::Bytes Empty() { return {}; }

const DetectCase kCases[] = {
    {"Healthy", FileState::Healthy, "", Healthy},
    {"MoovFirst", FileState::Healthy, "", MoovFirst},
    {"CutWithSizeZero", FileState::Damaged, "size 0", CutWithSizeZero},
    {"CutWithSizeKept", FileState::Damaged, "past the end", CutWithSizeKept},
    {"SizeOneWithoutLargeSize", FileState::Damaged, "size 1", SizeOneWithoutLargeSize},
    {"LargeSizePastEnd", FileState::Damaged, "past the end", LargeSizePastEnd},
    {"SizeOneWithZeroLargeSize", FileState::Damaged, "size 1", SizeOneWithZeroLargeSize},
    {"StaleMdatSize", FileState::Damaged, "malformed box follows", StaleMdatSize},
    {"NoMoov", FileState::Damaged, "moov", NoMoov},
    {"MoovCut", FileState::Damaged, "moov box runs past", MoovCut},
    {"TrailingPadding", FileState::Healthy, "", TrailingPadding},
    {"DamagedMdatHeader", FileState::Damaged, "malformed box", DamagedMdatHeader},
    {"RandomBytes", FileState::NotMp4, "", RandomBytes},
    {"Empty", FileState::NotMp4, "", Empty},
};

class Detect : public testing::TestWithParam<DetectCase> {};

TEST_P(Detect, StateAndReason) {
  TempDir dir;
  const std::string path = dir.Path("r.MP4");
  w::WriteFile(path, GetParam().make());
  const repair::DamageCheck c = CheckRecording(path);
  EXPECT_EQ(int(c.state), int(GetParam().state)) << c.reason;
  if (GetParam().state == FileState::Damaged) {
    EXPECT_NE(c.reason.find(GetParam().reason), std::string::npos) << c.reason;
    EXPECT_TRUE(repair::IsDamagedRecording(path));
  } else {
    EXPECT_FALSE(repair::IsDamagedRecording(path));
  }
}

INSTANTIATE_TEST_SUITE_P(Files, Detect, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(DetectMissing, MissingFileAndFolderAreUnreadable) {
  TempDir dir;
  EXPECT_EQ(int(CheckRecording(dir.Path("none.MP4")).state), int(FileState::Unreadable));
  EXPECT_EQ(int(CheckRecording(dir.dir()).state), int(FileState::Unreadable));
}

TEST(DetectRanges, MediaDataAfterAStaleSizeBelongsToTheMdat) {
  TempDir dir;
  const w::Bytes f = StaleMdatSize();
  w::WriteFile(dir.Path("s.MP4"), f);
  const repair::DamageCheck c = CheckRecording(dir.Path("s.MP4"));
  ASSERT_EQ(c.media.size(), 1u);
  EXPECT_EQ(c.media[0].dataEnd, f.size());
  w::WriteFile(dir.Path("z.MP4"), SizeOneWithZeroLargeSize());
  const repair::DamageCheck z = CheckRecording(dir.Path("z.MP4"));
  ASSERT_EQ(z.media.size(), 1u);
  EXPECT_EQ(z.media[0].dataBegin, w::Ftyp().size() + 16);
  EXPECT_EQ(z.media[0].dataEnd, z.fileSize);
}

TEST(DetectRanges, CutMediaDataEndsAtTheEndOfTheFile) {
  TempDir dir;
  const w::Bytes f = CutWithSizeZero();
  w::WriteFile(dir.Path("c.MP4"), f);
  const repair::DamageCheck c = CheckRecording(dir.Path("c.MP4"));
  ASSERT_EQ(c.media.size(), 1u);
  EXPECT_EQ(c.media[0].dataBegin, MdatAt(f) + 8);
  EXPECT_EQ(c.media[0].dataEnd, f.size());
  EXPECT_EQ(c.moovSize, 0u);
}

}  // namespace
}  // namespace korvane::test
