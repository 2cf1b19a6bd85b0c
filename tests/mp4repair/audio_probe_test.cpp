// The AAC probe after a rejected candidate: a bogus candidate that would switch the decoder to
// another channel layout (a program config element for 36 channels) or that makes it fail (bytes
// of a video slice) must leave nothing behind, so that the good frames given next are recognised.
// The good frames are made by the real ffmpeg (ADTS, whose headers give each frame's length).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixtures.h"
#include "mp4repair/audio_probe.h"
#include "repair_support.h"
#include "run_process.h"

namespace korvane::repair {
namespace {

struct Adts {
  Bytes config;                 // the AudioSpecificConfig the headers describe
  std::vector<Bytes> frames;    // raw frames, headers removed
};

Adts ReadAdts(const std::string& bytes) {
  Adts out;
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  size_t at = 0;
  while (at + 7 <= bytes.size() && p[at] == 0xFF && (p[at + 1] & 0xF0) == 0xF0) {
    const size_t header = (p[at + 1] & 1) ? 7 : 9;
    const size_t length = ((p[at + 3] & 3u) << 11) | (size_t(p[at + 4]) << 3) | (p[at + 5] >> 5);
    if (length <= header || at + length > bytes.size()) break;
    if (out.config.empty()) {
      const int object = (p[at + 2] >> 6) + 1, rate = (p[at + 2] >> 2) & 15;
      const int channels = ((p[at + 2] & 1) << 2) | (p[at + 3] >> 6);
      out.config = {uint8_t((object << 3) | (rate >> 1)), uint8_t(((rate & 1) << 7) | (channels << 3))};
    }
    out.frames.emplace_back(p + at + header, p + at + length);
    at += length;
  }
  return out;
}

// A program config element for 36 channels (15 front and 3 side channel pairs) at 48 kHz, then
// the end element (`end`), or else the elements of the raw frame `then`.
Bytes ProgramConfigFrame(bool end, const Bytes& then = {}) {
  std::string bits = "101" "0000" "01" "0011" "1111" "0011" "0000" "00" "000" "0000" "000";
  for (int i = 0; i < 18; ++i) {
    bits += "1";
    for (int b = 3; b >= 0; --b) bits += char('0' + ((i % 16) >> b & 1));
  }
  while (bits.size() % 8) bits += '0';  // byte alignment
  bits += "00000000";                   // no comment
  if (end) bits += "111";
  while (bits.size() % 8) bits += '0';
  Bytes out;
  for (size_t i = 0; i < bits.size(); i += 8) out.push_back(uint8_t(std::stoi(bits.substr(i, 8), nullptr, 2)));
  out.insert(out.end(), then.begin(), then.end());
  return out;
}

TEST(AudioProbe, RejectedCandidateLeavesNothingBehind) {
  if (!test::HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  test::TempDir dir;
  const std::string path = dir.Path("tone.aac");
  const test::ProcessResult r =
      test::RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                        "sine=frequency=440:sample_rate=48000", "-t", "0.5", "-c:a", "aac", "-ac", "2", "-f", "adts", path});
  ASSERT_EQ(r.status, 0) << r.err;
  const Adts adts = ReadAdts(test::FileBytes(path));
  ASSERT_GE(adts.frames.size(), 10u);
  Bytes good;  // three frames: the first two are delimited by the starts that follow them
  for (size_t i = 5; i < 8; ++i) good.insert(good.end(), adts.frames[i].begin(), adts.frames[i].end());

  // A slice of an H.264 picture whose first bits read as a channel pair element.
  Bytes slice = {0x21, 0x9A, 0x02, 0x04, 0x1F, 0xE3, 0x7C, 0x45};
  for (int i = 0; i < 600; ++i) slice.push_back(uint8_t(i * 37 + 11));
  const struct {
    const char* name;
    Bytes candidate;
  } cases[] = {{"program config element", ProgramConfigFrame(true)},
               {"program config element before a frame's elements", ProgramConfigFrame(false, adts.frames[2])},
               {"video slice", slice}};
  for (const auto& c : cases) {
    AudioProbe probe;
    ASSERT_TRUE(probe.Open(adts.config, 2, 48000));
    EXPECT_TRUE(probe.Frames(c.candidate.data(), c.candidate.size(), 4).empty()) << c.name;
    const std::vector<uint32_t> sizes = probe.Frames(good.data(), good.size(), 2);
    ASSERT_EQ(sizes.size(), 2u) << c.name;
    EXPECT_EQ(sizes[0], adts.frames[5].size()) << c.name;
    EXPECT_EQ(sizes[1], adts.frames[6].size()) << c.name;
  }
}

}  // namespace
}  // namespace korvane::repair
