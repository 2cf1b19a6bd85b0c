// The picture order read from slice headers and the composition offsets made of it: the
// exp-Golomb reader (emulation prevention, reads past the end), an H.264 stream whose counts wrap
// with parameter sets carried in the access unit, and the ranking into offsets (no reordering,
// B-frames, a last period cut short, two periods, the camera's own delay).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mp4repair/picture_order.h"

namespace korvane::repair {
namespace {

// Bytes from a string of '0'/'1' (other characters ignored), padded with a stop bit and zeros.
Bytes FromBits(const std::string& bits, uint8_t header = 0) {
  Bytes out;
  if (header) out.push_back(header);
  std::string b;
  for (char c : bits)
    if (c == '0' || c == '1') b += c;
  b += '1';
  while (b.size() % 8) b += '0';
  for (size_t i = 0; i < b.size(); i += 8) out.push_back(uint8_t(std::stoi(b.substr(i, 8), nullptr, 2)));
  return out;
}

TEST(BitReader, ExpGolombCodes) {
  const Bytes d = FromBits("1 010 011 00100 00101 00110 11");
  BitReader r(d.data(), d.size());
  EXPECT_EQ(r.Ue(), 0u);
  EXPECT_EQ(r.Ue(), 1u);
  EXPECT_EQ(r.Ue(), 2u);
  EXPECT_EQ(r.Ue(), 3u);
  EXPECT_EQ(r.Se(), -2);
  EXPECT_EQ(r.Se(), 3);
  EXPECT_EQ(r.Bits(2), 3u);
  EXPECT_TRUE(r.Ok());
}

TEST(BitReader, SkipsEmulationPreventionBytes) {
  const Bytes d = {0x00, 0x00, 0x03, 0x01, 0x00, 0x00, 0x03};
  BitReader r(d.data(), d.size());
  EXPECT_EQ(r.Bits(16), 0u);
  EXPECT_EQ(r.Bits(8), 1u);  // 00 00 03 01 reads as 00 00 01
  EXPECT_EQ(r.Bits(16), 0u);
  EXPECT_TRUE(r.Ok());
  r.Bits(1);  // only the emulation prevention byte is left
  EXPECT_FALSE(r.Ok());
}

TEST(BitReader, NeverReadsPastTheUnit) {
  const Bytes one = {0xFF};
  BitReader a(one.data(), one.size());
  EXPECT_EQ(a.Bits(8), 0xFFu);
  EXPECT_EQ(a.Bits(1), 0u);
  EXPECT_FALSE(a.Ok());
  const Bytes zeros(5, 0);  // 40 leading zeros: no exp-Golomb code
  BitReader b(zeros.data(), zeros.size());
  EXPECT_EQ(b.Ue(), 0u);
  EXPECT_FALSE(b.Ok());
  BitReader c(nullptr, 0);
  c.Se();
  EXPECT_FALSE(c.Ok());
}

// An access unit of 4-byte-length-prefixed NAL units.
Bytes Unit(const std::vector<Bytes>& nals) {
  Bytes out;
  for (const Bytes& n : nals) {
    Put32(out, uint32_t(n.size()));
    out.insert(out.end(), n.begin(), n.end());
  }
  return out;
}

TEST(PictureOrder, AvcCountsWrapAcrossTheLsbRange) {
  // Baseline SPS: id 0, frame_num 4 bits, POC type 0 with a 4-bit lsb, 320x240, frames only.
  const Bytes sps = FromBits("01000010 00000000 00011110 1 1 1 1 010 0 000010100 0001111 1", 0x67);
  const Bytes pps = FromBits("1 1 0 0", 0x68);
  // Slices: first_mb 0, slice_type 7/5, pps 0, frame_num, [idr_pic_id], pic_order_cnt_lsb.
  const auto slice = [](uint8_t header, const std::string& lsb, bool idr) {
    return FromBits(std::string("1 0001000 1 0000 ") + (idr ? "1 " : "") + lsb, header);
  };
  PictureOrder order(false);
  struct Step {
    Bytes nal;
    int64_t poc;
    bool reset;
  };
  const std::vector<Step> steps = {
      {slice(0x65, "0000", true), 0, true},  {slice(0x41, "1000", false), 8, false},
      {slice(0x41, "1110", false), 14, false}, {slice(0x41, "0010", false), 18, false},  // wrapped
      {slice(0x01, "0000", false), 16, false}, {slice(0x65, "0000", true), 0, true},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    const Bytes au = i == 0 ? Unit({sps, pps, steps[i].nal}) : Unit({steps[i].nal});
    const PictureCount c = order.AccessUnit(au.data(), au.size(), 4, i == 0);
    ASSERT_TRUE(c.ok) << "picture " << i;
    EXPECT_EQ(c.poc, steps[i].poc) << "picture " << i;
    EXPECT_EQ(c.reset, steps[i].reset) << "picture " << i;
  }
  // Without parameter sets the slice cannot be read; a unit cut short too.
  PictureOrder bare(false);
  const Bytes au = Unit({steps[1].nal});
  EXPECT_FALSE(bare.AccessUnit(au.data(), au.size(), 4, true).ok);
  const Bytes head = Unit({sps, pps, steps[1].nal});
  EXPECT_FALSE(PictureOrder(false).AccessUnit(head.data(), head.size() - 2, 4, true).ok);
}

struct ComposeCase {
  const char* name;
  std::vector<std::pair<int64_t, bool>> pictures;  // count, reset
  uint32_t minShift;
  std::vector<uint32_t> offsets;  // in frames
  uint32_t shift;                 // in frames
};

TEST(ComposeOffsets, RanksEachPeriod) {
  const ComposeCase cases[] = {
      {"no reordering", {{0, true}, {2, false}, {4, false}, {6, false}}, 0, {}, 0},
      {"B-frames", {{0, true}, {6, false}, {2, false}, {4, false}}, 0, {1, 3, 0, 0}, 1},
      // I0 P8 B4 b2, the b6 after them lost to the cut: the count's step keeps P in slot 4.
      {"last period cut short", {{0, true}, {8, false}, {4, false}, {2, false}}, 0, {2, 5, 2, 0}, 2},
      {"two periods", {{0, true}, {4, false}, {2, false}, {0, true}, {4, false}, {2, false}}, 0, {1, 2, 0, 1, 2, 0}, 1},
      {"the camera's delay", {{0, true}, {6, false}, {2, false}, {4, false}}, 2, {2, 4, 1, 1}, 2},
      {"no reordering ignores a delay", {{0, true}, {1, false}}, 3, {}, 0},
  };
  constexpr uint32_t kDelta = 512;
  for (const ComposeCase& c : cases) {
    std::vector<PictureCount> pictures;
    for (const auto& [poc, reset] : c.pictures) pictures.push_back({int32_t(poc), reset, true});
    const Composition got = ComposeOffsets(pictures, kDelta, c.minShift * kDelta);
    std::vector<uint32_t> want;
    for (uint32_t o : c.offsets) want.push_back(o * kDelta);
    EXPECT_EQ(got.offsets, want) << c.name;
    EXPECT_EQ(got.shift, c.shift * kDelta) << c.name;
  }
}

}  // namespace
}  // namespace korvane::repair
