// korvane-cli export on the sample recordings, checked with ffmpeg: the clip's first picture is
// the original's picture at In, its last the one at Out, video and audio end together, its
// telemetry is exactly the range's, and the folder's checksums hold.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <filesystem>

#include "export_support.h"

namespace korvane::test {
namespace {

struct RowSpan {
  int recording;  // index into the case's recordings
  int first, end; // telemetry rows [first, end) of that recording
};

struct RangeCase {
  const char* name;
  std::vector<std::string> recordings;
  const char* from;
  const char* to;
  int firstRecording, firstFrame;  // the picture shown at In: recording and frame number
  int lastRecording, lastFrame;    // the picture shown at Out
  std::vector<RowSpan> rows;
  const char* folder;              // the export folder's name
};

const RangeCase kRanges[] = {
    // 5.45 s falls in frame 163 (5.433 s), half a second after the key frame at 5 s.
    {"InsideOneFromNonKeyFrame", {"20250614080000.MP4"}, "+5.45", "+12.3", 0, 163, 0, 369, {{0, 54, 124}},
     "20250614-080005_7s"},
    {"StartingOnKeyFrame", {"20250614080000.MP4"}, "+3", "+6", 0, 90, 0, 180, {{0, 30, 61}}, "20250614-080003_3s"},
    // Camera clock times across the continuous-play boundary between two recordings.
    {"AcrossContinuousPlayBoundary", {"20250614080000.MP4", "20250614080100.MP4"}, "2025-06-14T08:00:15.5",
     "2025-06-14T08:01:04.2", 0, 465, 1, 126, {{0, 155, 200}, {1, 0, 43}}, "20250614-080015_9s"},
    // The "$" comment block form is cut on whole seconds.
    {"DollarBlockForm", {"20250614080300.MP4"}, "+3.3", "+9.9", 0, 99, 0, 297, {{0, 30, 100}},
     "20250614-080303_7s"},
};

class ExportRange : public testing::TestWithParam<RangeCase> {
 protected:
  void SetUp() override {
    samples_ = SamplesFolder();
    if (samples_.empty()) GTEST_SKIP() << "no sample folder (build the samples target)";
    if (!HaveProgram("ffmpeg") || !HaveProgram("ffprobe") || !HaveProgram("sha256sum"))
      GTEST_SKIP() << "ffmpeg, ffprobe or sha256sum missing";
  }
  std::string samples_;
  TempDir dest_;
};

TEST_P(ExportRange, ClipIsFrameExactWithTheRangesTelemetryAndChecksums) {
  const RangeCase c = GetParam();
  std::vector<std::string> args = {"export", "--from", c.from, "--to", c.to, "-o", dest_.dir()};
  std::vector<std::string> sources;
  for (const std::string& r : c.recordings) sources.push_back(samples_ + "/" + r);
  args.insert(args.end(), sources.begin(), sources.end());
  const ProcessResult r = RunCli(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string folder = dest_.Path(c.folder);
  EXPECT_EQ(r.out, folder + "\n");
  EXPECT_EQ(Entries(dest_.dir()), std::vector<std::string>{c.folder});
  EXPECT_EQ(Entries(folder),
            (std::vector<std::string>{"SHA256SUMS", "clip.MP4", "manifest.json", "telemetry.csv", "track.gpx"}));
  const std::string clip = folder + "/clip.MP4";

  // The movie box comes first.
  const std::string head = ReadAll(clip).substr(0, 64);
  ASSERT_EQ(head.substr(4, 4), "ftyp");
  const size_t ftyp = (size_t(uint8_t(head[2])) << 8) | uint8_t(head[3]);
  EXPECT_EQ(head.substr(ftyp + 4, 4), "moov");

  // First and last pictures.
  const std::vector<std::string> pictures = PictureDigests(clip);
  ASSERT_FALSE(pictures.empty());
  EXPECT_EQ(DigestOf(pictures.front()), DigestAt(sources[size_t(c.firstRecording)], c.firstFrame * kFrameSeconds));
  EXPECT_EQ(DigestOf(pictures.back()), DigestAt(sources[size_t(c.lastRecording)], c.lastFrame * kFrameSeconds));
  int shown = 0;
  for (size_t i = 0; i < sources.size(); ++i) {
    const int from = int(i) == c.firstRecording ? c.firstFrame : 0;
    const int to = int(i) == c.lastRecording ? c.lastFrame : 599;  // 20-second recordings
    if (int(i) >= c.firstRecording && int(i) <= c.lastRecording) shown += to - from + 1;
  }
  EXPECT_EQ(int(pictures.size()), shown);

  // Video and audio end within one frame of each other.
  const double video = StreamDuration(clip, 0), audio = StreamDuration(clip, 1);
  EXPECT_NEAR(video, shown * kFrameSeconds, 0.002);
  EXPECT_LE(std::fabs(video - audio), kFrameSeconds) << video << " " << audio;

  // The telemetry: the clip's rows are the range's rows, and so is telemetry.csv.
  std::vector<std::string> expected;
  for (const RowSpan& s : c.rows) {
    const std::vector<std::string> all = WithoutIndex(TelemetryRows(sources[size_t(s.recording)]));
    ASSERT_GE(int(all.size()), s.end);
    expected.insert(expected.end(), all.begin() + s.first, all.begin() + s.end);
  }
  EXPECT_EQ(WithoutIndex(TelemetryRows(clip)), expected);
  const std::string csv = ReadAll(folder + "/telemetry.csv");
  EXPECT_EQ(csv, RunCli({"telemetry", clip}).out);

  // The checksums hold, and the manifest names each source with its digest.
  const ProcessResult check = RunProcess({"sh", "-c", "cd '" + folder + "' && sha256sum -c --strict SHA256SUMS"});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
  const QJsonObject manifest = QJsonDocument::fromJson(QByteArray::fromStdString(ReadAll(folder + "/manifest.json"))).object();
  const QJsonArray listed = manifest.value("sources").toArray();
  ASSERT_EQ(listed.size(), qsizetype(sources.size()));
  for (size_t i = 0; i < sources.size(); ++i) {
    QFile f(QString::fromStdString(sources[i]));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(listed[qsizetype(i)].toObject().value("sha256").toString().toLatin1(),
              QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex());
    EXPECT_EQ(listed[qsizetype(i)].toObject().value("card_name").toString().toStdString(), c.recordings[i]);
  }
  // The samples' GPS time equals their clock.
  EXPECT_EQ(manifest.value("camera_clock_minus_gps_utc_s").toInt(-1), c.rows.size() && std::string(c.name) != "DollarBlockForm" ? 0 : -1);
}

INSTANTIATE_TEST_SUITE_P(Clip, ExportRange, testing::ValuesIn(kRanges),
                         [](const testing::TestParamInfo<RangeCase>& i) { return i.param.name; });

}  // namespace
}  // namespace korvane::test
