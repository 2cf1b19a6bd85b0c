// Presentation times of repaired recordings: recordings made like a camera's (H.264 or H.265,
// AAC and a timed-text track, moov last) by the real ffmpeg, with and without B-frames, cut where
// power loss would cut them and repaired after a recording of other content (so another frame
// pattern); the repaired file's video packets must carry the uncut original's times.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <memory>
#include <sstream>

#include "repair_support.h"
#include "run_process.h"
#include "tools/bench_repair/camera_layout.h"

namespace korvane::test {
namespace {

struct Kind {
  const char* name;
  const char* encoder;
  std::vector<std::string> video;  // ffmpeg's video options
};

const Kind kKinds[] = {
    {"x264_adaptive_b", "libx264", {"-c:v", "libx264", "-preset", "veryfast", "-g", "25"}},
    {"x264_no_b", "libx264", {"-c:v", "libx264", "-preset", "veryfast", "-bf", "0", "-g", "25"}},
    {"x265_b", "libx265",
     {"-c:v", "libx265", "-preset", "ultrafast", "-x265-params", "log-level=error:bframes=3", "-tag:v", "hvc1", "-g",
      "25"}},
};

// "pts,dts" of every video packet in decode order.
std::vector<std::string> VideoPackets(const std::string& path) {
  const ProcessResult r = RunProcess({"ffprobe", "-v", "error", "-select_streams", "v", "-show_entries",
                                      "packet=pts,dts", "-of", "csv=p=0", path});
  std::vector<std::string> lines;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);)
    if (!line.empty()) lines.push_back(line);
  return lines;
}

class RepairOrder : public testing::TestWithParam<std::tuple<int, double>> {
 protected:
  static void SetUpTestSuite() { dir_ = std::make_unique<TempDir>(); }
  static void TearDownTestSuite() { dir_.reset(); }
  void SetUp() override {
    if (!HaveProgram("ffmpeg") || !HaveProgram("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
    const ProcessResult encoders = RunProcess({"ffmpeg", "-hide_banner", "-encoders"});
    if (encoders.out.find(kind().encoder) == std::string::npos) GTEST_SKIP() << "ffmpeg has no " << kind().encoder;
  }
  const Kind& kind() const { return kKinds[std::get<0>(GetParam())]; }
  // A 6-s recording of `source` with a tone, a line of telemetry every second, moov last.
  static std::string Encode(const Kind& k, const std::string& name, const std::string& source, int tone) {
    const std::string path = dir_->Path(name);
    if (std::ifstream(path).good()) return path;
    const std::string subs = dir_->Path("lines.srt");
    {
      std::ofstream s(subs);
      for (int i = 0; i < 6; ++i)
        s << i + 1 << "\n00:00:0" << i << ",000 --> 00:00:0" << i + 1 << ",000\nN 35.6" << i << " E 139.7" << i
          << " 4" << i << " km/h\n\n";
    }
    std::vector<std::string> args = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                                      source + "=size=320x240:rate=25", "-f", "lavfi", "-i",
                                      "sine=frequency=" + std::to_string(tone) + ":sample_rate=48000", "-i", subs,
                                      "-t", "6"};
    args.insert(args.end(), k.video.begin(), k.video.end());
    for (const char* a : {"-pix_fmt", "yuv420p", "-c:a", "aac", "-ac", "2", "-c:s", "mov_text", "-map", "0:v", "-map",
                          "1:a", "-map", "2:s"})
      args.push_back(a);
    args.push_back(path);
    const ProcessResult r = RunProcess(args);
    EXPECT_EQ(r.status, 0) << r.err;
    return path;
  }
  static std::unique_ptr<TempDir> dir_;
};

std::unique_ptr<TempDir> RepairOrder::dir_;

TEST_P(RepairOrder, PicturesKeepTheOriginalsTimes) {
  const Kind& k = kind();
  const std::string whole = Encode(k, std::string(k.name) + ".MP4", "testsrc2", 440);
  const std::string reference = Encode(k, std::string(k.name) + "_ref.MP4", "testsrc", 660);
  uint64_t begin = 0, end = 0;
  MediaSpan(whole, begin, end);
  const uint64_t keep = begin + uint64_t(double(end - begin) * std::get<1>(GetParam()));
  std::string error;
  const std::string damaged = dir_->Path("cut.MP4");
  ASSERT_TRUE(camera::CutAsPowerLoss(whole, damaged, keep, error)) << error;
  const std::vector<size_t> kept = SamplesKept(whole, keep);
  ASSERT_EQ(kept.size(), 3u);

  const std::string output = dir_->Path("out.MP4");
  const ProcessResult r = RunCli({"repair", "--reference", reference, "-o", output, damaged});
  ASSERT_EQ(r.status, 0) << r.err;
  const RepairLine line = ParseRepairOutput(r.out);
  ASSERT_TRUE(line.parsed) << r.out;
  EXPECT_EQ(line.video, kept[0]);
  EXPECT_EQ(line.audio, kept[1]);
  EXPECT_EQ(line.text, kept[2]);

  const std::vector<std::string> original = VideoPackets(whole);
  const std::vector<std::string> repaired = VideoPackets(output);
  ASSERT_EQ(repaired.size(), line.video);
  ASSERT_LE(repaired.size(), original.size());
  size_t wrong = 0;
  for (size_t i = 0; i < repaired.size(); ++i) wrong += repaired[i] != original[i];
  EXPECT_EQ(wrong, 0u) << "of " << repaired.size() << " packets; first: " << repaired[0] << " vs " << original[0];
  const ProcessResult decode = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", output, "-f", "null", "-"});
  EXPECT_EQ(decode.status, 0);
  EXPECT_EQ(decode.err, "");  // no "non monotonically increasing dts" either
}

INSTANTIATE_TEST_SUITE_P(KindsAndCuts, RepairOrder,
                         testing::Combine(testing::Values(0, 1, 2), testing::Values(0.41, 0.83, 0.95)),
                         [](const testing::TestParamInfo<std::tuple<int, double>>& p) {
                           return std::string(kKinds[std::get<0>(p.param)].name) + "_cut" +
                                  std::to_string(int(std::get<1>(p.param) * 100));
                         });

}  // namespace
}  // namespace korvane::test
