// Repair of H.265 recordings whose encoder reorders pictures (composition offsets), made by ffmpeg
// with the moov last and cut where power loss would cut them; the reference is another recording
// of the same encoder settings.
#include <gtest/gtest.h>

#include "repair_support.h"
#include "run_process.h"
#include "tools/bench_repair/camera_layout.h"

namespace korvane::test {
namespace {

class RepairHevc : public testing::TestWithParam<double> {
 protected:
  void SetUp() override {
    if (!HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
    const ProcessResult encoders = RunProcess({"ffmpeg", "-hide_banner", "-encoders"});
    if (encoders.out.find("libx265") == std::string::npos) GTEST_SKIP() << "ffmpeg has no libx265";
  }
  std::string Encode(const std::string& name, int tone) {
    const std::string path = dir_.Path(name);
    const ProcessResult r = RunProcess(
        {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25", "-f", "lavfi",
         "-i", "sine=frequency=" + std::to_string(tone) + ":sample_rate=48000", "-t", "4", "-c:v", "libx265", "-preset",
         "ultrafast", "-x265-params", "log-level=error:bframes=3", "-tag:v", "hvc1", "-g", "25", "-pix_fmt", "yuv420p",
         "-c:a", "aac", "-ac", "2", path});
    EXPECT_EQ(r.status, 0) << r.err;
    return path;
  }
  TempDir dir_;
};

TEST_P(RepairHevc, ReorderedPicturesPlayInOrder) {
  const std::string whole = Encode("whole.MP4", 440);
  const std::string reference = Encode("reference.MP4", 660);
  uint64_t begin = 0, end = 0;
  MediaSpan(whole, begin, end);
  const uint64_t keep = begin + uint64_t(double(end - begin) * GetParam());
  std::string error;
  const std::string damaged = dir_.Path("cut.MP4");
  ASSERT_TRUE(camera::CutAsPowerLoss(whole, damaged, keep, error)) << error;
  const std::vector<size_t> kept = SamplesKept(whole, keep);

  const std::string output = dir_.Path("out.MP4");
  const ProcessResult r = RunCli({"repair", "--reference", reference, "-o", output, damaged});
  ASSERT_EQ(r.status, 0) << r.err;
  const RepairLine line = ParseRepairOutput(r.out);
  ASSERT_TRUE(line.parsed) << r.out;
  ASSERT_EQ(kept.size(), 2u);
  EXPECT_GE(double(line.video), 0.99 * double(kept[0]));
  EXPECT_GE(double(line.audio), 0.98 * double(kept[1]));
  EXPECT_EQ(line.text, 0u);
  const ProcessResult decode = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", output, "-f", "null", "-"});
  EXPECT_EQ(decode.status, 0);
  EXPECT_EQ(decode.err, "");  // also no "non monotonically increasing dts"
}

INSTANTIATE_TEST_SUITE_P(Cuts, RepairHevc, testing::Values(0.3, 0.77));

}  // namespace
}  // namespace korvane::test
