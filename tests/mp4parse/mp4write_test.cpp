// The box writer's rewriting of real ffmpeg recordings: the added text track and comment are
// found by the walk, and ffmpeg still decodes every existing packet (all offsets still valid).
#include <gtest/gtest.h>

#include "fixtures.h"
#include "mp4parse/mp4_parser.h"
#include "run_process.h"

namespace korvane::test {
namespace {

class Rewrite : public testing::TestWithParam<bool> {  // param: moov first (faststart)
 protected:
  void SetUp() override {
    if (!HaveProgram("ffmpeg") || !HaveProgram("ffprobe")) GTEST_SKIP() << "ffmpeg is not installed";
    path_ = dir_.Path("ff.MP4");
    std::vector<std::string> cmd = {"ffmpeg", "-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                                    "testsrc=size=160x120:rate=10", "-f", "lavfi", "-i", "sine=frequency=440",
                                    "-t", "2", "-c:v", "libx264", "-preset", "ultrafast", "-c:a", "aac"};
    if (GetParam()) cmd.insert(cmd.end(), {"-movflags", "+faststart"});
    cmd.push_back(path_);
    const ProcessResult r = RunProcess(cmd);
    ASSERT_EQ(r.status, 0) << r.err;
  }

  void ExpectFfmpegDecodesEverything(const std::string& streams) {
    const ProcessResult probe =
        RunProcess({"ffprobe", "-v", "error", "-show_entries", "stream=codec_name", "-of", "csv=p=0", path_});
    ASSERT_EQ(probe.status, 0) << probe.err;
    EXPECT_EQ(probe.out, streams);
    const ProcessResult decode = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", path_, "-map", "0:v", "-map",
                                             "0:a", "-f", "null", "-"});
    EXPECT_EQ(decode.status, 0);
    EXPECT_EQ(decode.err, "");
  }

  TempDir dir_;
  std::string path_;
};

TEST_P(Rewrite, TextTrackAfterMarker) {
  std::vector<std::string> lines;
  for (int i = 0; i < 20; ++i) lines.push_back(SubtitleLine(i));
  w::AddCommentBox(path_, "KOVAGPS:0001", w::UdtaPlace::BeforeTracks);
  w::AddTextTrack(path_, lines, 100, 1000);
  Mp4Parser p;
  EXPECT_EQ(p.Load(path_), DataTypeSubtitle);
  EXPECT_EQ(p.lines, lines);
  ExpectFfmpegDecodesEverything("h264\naac\nmov_text\n");
  const ProcessResult srt = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", path_, "-map", "0:s:0", "-f", "srt", "-"});
  EXPECT_NE(srt.out.find("Time:2021/09/17 05:00:01"), std::string::npos);
}

TEST_P(Rewrite, DollarCommentBeforeTracks) {
  w::AddCommentBox(path_, JoinLines({DollarLine(0), DollarLine(1)}), w::UdtaPlace::BeforeTracks);
  Mp4Parser p;
  EXPECT_EQ(p.Load(path_), DataTypeDollar);
  EXPECT_EQ(p.lines.size(), 20u);
  ExpectFfmpegDecodesEverything("h264\naac\n");
}

TEST_P(Rewrite, CommentAfterTracksIsReachedBeforeFfmpegsMeta) {
  w::AddCommentBox(path_, JoinLines({DollarLine(0)}), w::UdtaPlace::AfterTracks);
  Mp4Parser p;
  EXPECT_EQ(p.Load(path_), DataTypeDollar);
  ExpectFfmpegDecodesEverything("h264\naac\n");
}

INSTANTIATE_TEST_SUITE_P(Layouts, Rewrite, testing::Values(false, true),
                         [](const auto& info) { return std::string(info.param ? "moov_first" : "moov_last"); });

}  // namespace
}  // namespace korvane::test
