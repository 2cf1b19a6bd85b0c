// korvane-cli repair on damaged recordings made from the sample recordings: laid out as the camera
// writes them and cut at several places (inside a video sample, inside a text sample), with and
// without a telemetry track, and the sample recordings' own layout cut in its text data. The
// repaired file must decode without one error in ffmpeg and GStreamer and carry the telemetry of the kept part.
#include <gtest/gtest.h>

#include "mp4parse/load_telemetry.h"
#include "mp4repair/damage.h"
#include "repair_support.h"
#include "run_process.h"
#include "tools/bench_repair/camera_layout.h"

namespace korvane::test {
namespace {

constexpr const char* kWithText = "20250614080000.MP4";
constexpr const char* kWithTextReference = "20250614080100.MP4";
constexpr const char* kNoTelemetry = "P20250614081000.MP4";
constexpr const char* kNoTelemetryReference = "H20250614080800.MP4";  // telemetry in a side-car only

enum class CutAt { Fraction, InsideVideo, InsideText, InsideSecondMdat };

struct CutCase {
  const char* name;
  const char* source;
  const char* reference;
  bool cameraLayout;  // else the sample recording's own layout (text samples in a second mdat)
  CutAt where;
  double fraction;    // of the media data, or where the chosen sample lies
};

const CutCase kCuts[] = {
    {"TenthWithText", kWithText, kWithTextReference, true, CutAt::Fraction, 0.1},
    {"HalfWithText", kWithText, kWithTextReference, true, CutAt::Fraction, 0.5},
    {"NearEndWithText", kWithText, kWithTextReference, true, CutAt::Fraction, 0.999},
    {"InsideVideoSample", kWithText, kWithTextReference, true, CutAt::InsideVideo, 0.4},
    {"InsideTextSample", kWithText, kWithTextReference, true, CutAt::InsideText, 0.7},
    {"WithoutTelemetryTrack", kNoTelemetry, kNoTelemetryReference, true, CutAt::Fraction, 0.6},
    {"OwnLayoutInsideVideo", kWithText, kWithTextReference, false, CutAt::InsideVideo, 0.3},
    {"OwnLayoutInsideTextData", kWithText, kWithTextReference, false, CutAt::InsideSecondMdat, 0.5},
};

class RepairCut : public testing::TestWithParam<CutCase> {
 protected:
  void SetUp() override {
    samples_ = SamplesFolder();
    if (samples_.empty()) GTEST_SKIP() << "no sample folder (build the samples target)";
    if (!HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  }
  std::string samples_;
  TempDir dir_;
};

TEST_P(RepairCut, RecoversTheKeptSamplesAndPlays) {
  const CutCase c = GetParam();
  std::string whole = samples_ + "/" + c.source;
  std::string error;
  if (c.cameraLayout) {
    camera::CameraRecording rec;
    whole = dir_.Path("camera.MP4");
    ASSERT_TRUE(camera::WriteCameraRecording(samples_ + "/" + c.source, whole, 1, 1.0, rec, error)) << error;
  }
  uint64_t begin = 0, end = 0;
  MediaSpan(whole, begin, end);
  uint64_t keep = begin + uint64_t(double(end - begin) * c.fraction);
  if (c.where == CutAt::InsideVideo || c.where == CutAt::InsideText) {
    const size_t track = c.where == CutAt::InsideVideo ? 0 : 2;
    const SampleSpan s = SampleAt(whole, track, size_t(double(SampleCount(whole, track)) * c.fraction));
    ASSERT_GT(s.size, 4u);
    keep = s.offset + s.size / 2;
  } else if (c.where == CutAt::InsideSecondMdat) {
    const SampleSpan s = SampleAt(whole, 2, size_t(double(SampleCount(whole, 2)) * c.fraction));
    ASSERT_GT(s.offset, SampleAt(whole, 0, SampleCount(whole, 0) - 1).offset) << "text data is not last";
    keep = s.offset + 3;
  }
  const std::string damaged = dir_.Path("20250614080000.MP4");
  ASSERT_TRUE(camera::CutAsPowerLoss(whole, damaged, keep, error)) << error;
  const std::string before = FileBytes(damaged);
  const std::vector<size_t> kept = SamplesKept(whole, keep);

  const std::string output = dir_.Path("repaired.MP4");
  const ProcessResult r = RunCli({"repair", "--reference", samples_ + "/" + c.reference, "-o", output, damaged});
  ASSERT_EQ(r.status, 0) << r.err;
  const RepairLine line = ParseRepairOutput(r.out);
  ASSERT_TRUE(line.parsed) << r.out;
  EXPECT_EQ(line.output, output);
  EXPECT_EQ(FileBytes(damaged), before) << "the damaged original changed";

  ASSERT_GE(kept.size(), 2u);
  EXPECT_GE(double(line.video), 0.99 * double(kept[0]));
  EXPECT_GE(double(line.audio), 0.98 * double(kept[1]));
  EXPECT_LE(line.video, kept[0]);
  EXPECT_LE(line.audio, kept[1]);
  EXPECT_EQ(line.text, kept.size() > 2 ? kept[2] : 0u);
  EXPECT_LE(line.bytes, line.of);
  uint64_t mediaBytes = 0;
  for (const repair::MediaRange& m : repair::CheckRecording(damaged).media) mediaBytes += m.dataEnd - m.dataBegin;
  EXPECT_EQ(line.of, mediaBytes);

  const ProcessResult decode = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", output, "-f", "null", "-"});
  EXPECT_EQ(decode.status, 0);
  EXPECT_EQ(decode.err, "");

  if (HaveProgram("gst-launch-1.0")) {
    const ProcessResult gst = RunProcess({"gst-launch-1.0", "-q", "filesrc", "location=" + output, "!", "decodebin",
                                          "name=d", "d.", "!", "queue", "!", "videoconvert", "!", "fakesink", "d.",
                                          "!", "queue", "!", "audioconvert", "!", "fakesink"});
    EXPECT_EQ(gst.status, 0) << gst.out << gst.err;
  }

  // The telemetry loads as from the camera: the kept lines, in order.
  Mp4Parser parser;
  std::vector<std::string> lines;
  TelemetryTrack track;
  bool gpsSeen = false;
  const DataType type = LoadTelemetry(output, "", parser, lines, track, gpsSeen);
  const std::vector<std::string> original = TelemetryLines(whole);
  if (line.text > 0) {
    EXPECT_EQ(type, DataTypeSubtitle);
    ASSERT_EQ(lines.size(), line.text);
    EXPECT_EQ(std::vector<std::string>(original.begin(), original.begin() + std::ptrdiff_t(lines.size())), lines);
    EXPECT_EQ(track.sampleCount, int(line.text));
  } else {
    EXPECT_TRUE(lines.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(Samples, RepairCut, testing::ValuesIn(kCuts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvane::test
