// The sample checks on hand-made bytes: where an access unit of length-prefixed NAL units ends,
// which NAL headers and lengths are refused, and what makes a timed-text sample.
#include <gtest/gtest.h>

#include "mp4repair/box_io.h"
#include "mp4repair/sample_checks.h"

namespace korvane::repair {
namespace {

// One NAL unit with a 4-byte length prefix: header bytes then `body` bytes of 0x11.
Bytes Nal(std::initializer_list<uint8_t> header, size_t body = 6) {
  Bytes n(header);
  n.insert(n.end(), body, 0x11);
  Bytes out;
  Put32(out, uint32_t(n.size()));
  out.insert(out.end(), n.begin(), n.end());
  return out;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

ByteSource Source(const Bytes& data) {
  ByteSource s;
  s.end = data.size();
  s.get = [&data](uint64_t pos, uint64_t n) -> const uint8_t* {
    return pos <= data.size() && n <= data.size() - pos ? data.data() + pos : nullptr;
  };
  return s;
}

// H.264: AUD (9), SPS (7), PPS (8), SEI (6); IDR (5) and non-IDR (1) slices whose second byte's
// top bit says first_mb_in_slice == 0.
const Bytes kAud = Nal({0x09, 0xF0});
const Bytes kSps = Nal({0x67, 0x42});
const Bytes kPps = Nal({0x68, 0xCE});
const Bytes kSei = Nal({0x06, 0x05});
const Bytes kIdr = Nal({0x65, 0x88});
const Bytes kIdrSecondSlice = Nal({0x65, 0x12});
const Bytes kSlice = Nal({0x41, 0x9A});

struct VideoCase {
  const char* name;
  Bytes data;
  uint64_t size;  // expected access unit size at 0
  bool key;
};

const std::vector<VideoCase>& VideoCases() {
  static const std::vector<VideoCase> cases = {
      {"KeyFrameWithHeadersThenNextPicture", Join({kAud, kSps, kPps, kSei, kIdr, kIdrSecondSlice, kAud, kSlice}),
       Join({kAud, kSps, kPps, kSei, kIdr, kIdrSecondSlice}).size(), true},
      {"SliceThenSlice", Join({kSlice, kSlice}), kSlice.size(), false},
      {"SliceThenBytesThatAreNoNal", Join({kSlice, Bytes{0xFF, 0xF1, 0x50, 0x80, 0x2E, 0x7F}}), kSlice.size(), false},
      {"LengthPastTheEnd", Join({kSlice}), 0, false},
      {"HeadersWithoutPicture", Join({kSps, kPps}), 0, false},
      {"ForbiddenBit", Join({Nal({0xC1, 0x9A}), kSlice}), 0, false},
      {"SecondSliceCannotStart", Join({kIdrSecondSlice, kSlice}), 0, false},
      {"ZeroLength", Join({Bytes{0, 0, 0, 0}, kSlice}), 0, false},
  };
  return cases;
}

class Video : public testing::TestWithParam<size_t> {};

TEST_P(Video, AccessUnitAtTheStart) {
  const VideoCase& c = VideoCases()[GetParam()];
  Bytes data = c.data;
  if (std::string(c.name) == "LengthPastTheEnd") data.resize(data.size() - 2);
  VideoRules rules;
  const VideoSample v = CheckVideoSample(Source(data), 0, rules);
  EXPECT_EQ(v.size, c.size) << c.name;
  EXPECT_EQ(v.keyFrame, c.key) << c.name;
}

INSTANTIATE_TEST_SUITE_P(H264, Video, testing::Range<size_t>(0, VideoCases().size()),
                         [](const auto& info) { return std::string(VideoCases()[info.param].name); });

TEST(VideoHevc, PicturesSplitAtTheFirstSliceFlag) {
  // VPS (32), SPS (33), PPS (34), IDR_W_RADL (19) first slice, trailing picture (1) first slice.
  const Bytes vps = Nal({0x40, 0x01, 0x0C}), sps = Nal({0x42, 0x01, 0x01}), pps = Nal({0x44, 0x01, 0xC1});
  const Bytes idr = Nal({0x26, 0x01, 0xAF}), idr2 = Nal({0x26, 0x01, 0x20}), trail = Nal({0x02, 0x01, 0xD0});
  const Bytes data = Join({vps, sps, pps, idr, idr2, trail});
  VideoRules rules;
  rules.hevc = true;
  const VideoSample v = CheckVideoSample(Source(data), 0, rules);
  EXPECT_EQ(v.size, Join({vps, sps, pps, idr, idr2}).size());
  EXPECT_TRUE(v.keyFrame);
  const VideoSample t = CheckVideoSample(Source(data), v.size, rules);
  EXPECT_EQ(t.size, trail.size());
  EXPECT_FALSE(t.keyFrame);
  const Bytes layered = Nal({0x02, 0x09, 0xD0});  // nuh_layer_id 1
  EXPECT_EQ(CheckVideoSample(Source(layered), 0, rules).size, 0u);
}

TEST(VideoLimits, NalLongerThanTheLimitIsRefused) {
  const Bytes data = Join({Nal({0x41, 0x9A}, 5000)});
  VideoRules rules;
  EXPECT_EQ(CheckVideoSample(Source(data), 0, rules).size, data.size());
  rules.maxNalBytes = 4000;
  EXPECT_EQ(CheckVideoSample(Source(data), 0, rules).size, 0u);
}

struct TextCase {
  const char* name;
  Bytes data;
  uint64_t size;
};

Bytes Text(const std::string& line) {
  Bytes out;
  Put16(out, uint16_t(line.size()));
  out.insert(out.end(), line.begin(), line.end());
  return out;
}

TEST(TextSample, PrintableLinesOnly) {
  const std::string line = "A,3539.1234,N,13945.5678,E,12.3,G: 0.01,2025/06/14 08:00:00\r\n";
  const std::vector<TextCase> cases = {
      {"Line", Join({Text(line), kSlice}), 2 + line.size()},
      {"Binary", Join({Text("ab\x01" "cd")}), 0},
      {"NulTerminated", Text(std::string("abcdef\0\0", 8)), 10},
      {"NulInside", Text(std::string("ab\0cdef", 7)), 0},
      {"TooShort", Text("abc"), 0},
      {"LengthPastTheEnd", Bytes{0x00, 0x40, 'a', 'b', 'c', 'd', 'e'}, 0},
      {"VideoLengthPrefix", kSlice, 0},
  };
  for (const TextCase& c : cases) EXPECT_EQ(CheckTextSample(Source(c.data), 0), c.size) << c.name;
}

}  // namespace
}  // namespace korvane::repair
