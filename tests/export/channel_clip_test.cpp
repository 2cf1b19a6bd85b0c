// korvane-cli export of another camera's moment of two or three channels, made at test time with
// ffmpeg: every other channel gets its clip beside the main one, its first and last pictures the
// ones on screen at the main clip's first and last instants, the manifest lists it with its
// source, and the checksums hold; a channel that holds none of the range is left out. Also the
// engine with a channel across two recordings, a single-channel manifest, and a full disk at a
// channel's clip.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <algorithm>
#include <filesystem>

#include "export/export_request.h"
#include "export_support.h"

namespace korvane::test {
namespace {

struct Recording {
  const char* name;
  const char* source;  // the lavfi source, without size, rate and duration
  double seconds;
};

struct ChannelClip {
  const char* file;
  const char* letter;
  const char* recording;
  int firstFrame, lastFrame;  // pictures of the channel's recording shown first and last
  int offsetMs;               // its first picture after the main clip's first, camera clock
};

struct ChannelCase {
  const char* name;
  std::vector<Recording> recordings;  // the first is the main channel exported
  const char* from;
  const char* to;
  int firstFrame, lastFrame;          // of the main clip
  std::vector<ChannelClip> channels;  // in the manifest's order
};

// Each source changes every picture, so a picture's digest tells which one it is.
constexpr const char* kFront = "testsrc";
constexpr const char* kRear = "testsrc2";
constexpr const char* kInterior = "nullsrc,geq=lum='mod(N*7+X+Y\\,256)':cb=128:cr=128";

const ChannelCase kCases[] = {
    // The rear started a second after the front (its name and its duration agree).
    {"TwoChannelsRearOneSecondLater",
     {{"20250301_140000_NF.mp4", kFront, 6}, {"20250301_140001_NR.mp4", kRear, 5}},
     "+2.5", "+4.5", 75, 135,
     {{"clip_R.MP4", "R", "20250301_140001_NR.mp4", 45, 105, 0}}},
    // The rear's name says a second, the durations say half of one: the durations give the frame.
    {"ThreeChannelsLeadFromTheDurations",
     {{"20250301_150000_NF.mp4", kFront, 6}, {"20250301_150001_NR.mp4", kRear, 5.5},
      {"20250301_150000_NI.mp4", kInterior, 6}},
     "+2.5", "+4.5", 75, 135,
     {{"clip_R.MP4", "R", "20250301_150001_NR.mp4", 60, 120, 0},
      {"clip_I.MP4", "I", "20250301_150000_NI.mp4", 75, 135, 0}}},
    // In lies before the rear began: its clip starts with its first picture, half a second in.
    {"RearClampedToItsStart",
     {{"20250301_140000_NF.mp4", kFront, 6}, {"20250301_140001_NR.mp4", kRear, 5}},
     "+0.5", "+2", 15, 60,
     {{"clip_R.MP4", "R", "20250301_140001_NR.mp4", 0, 30, 500}}},
    // The rear stopped early (its duration disagrees with its name, so the name's second holds):
    // its clip ends with its last picture.
    {"RearEndingEarlyClampedToItsEnd",
     {{"20250301_140000_NF.mp4", kFront, 6}, {"20250301_140001_NR.mp4", kRear, 3}},
     "+3", "+5", 90, 150,
     {{"clip_R.MP4", "R", "20250301_140001_NR.mp4", 60, 89, 0}}},
    // Each channel in a folder of its own, beside each other: found from the front's folder.
    {"ChannelFoldersSideBySide",
     {{"front_norm/2025_03_01_140000_00_F.MP4", kFront, 6}, {"rear_norm/2025_03_01_140001_00_R.MP4", kRear, 5}},
     "+2.5", "+4.5", 75, 135,
     {{"clip_R.MP4", "R", "rear_norm/2025_03_01_140001_00_R.MP4", 45, 105, 0}}},
    // The whole range lies before the rear began: no rear clip, and no channels in the manifest.
    {"RearOutsideTheRangeLeftOut",
     {{"20250301_140000_NF.mp4", kFront, 6}, {"20250301_140001_NR.mp4", kRear, 5}},
     "+0.2", "+0.8", 6, 24, {}},
};

std::string FileSha256(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return {};
  return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex().toStdString();
}

std::string Seconds(int frame) {
  return QString::number(frame * kFrameSeconds, 'f', 6).toStdString();
}

// A card folder and an output folder in a temporary folder, and the recordings made into the card.
class ChannelCard {
 protected:
  bool SetUpCard() {
    if (!HaveProgram("ffmpeg") || !HaveProgram("ffprobe") || !HaveProgram("sha256sum")) return false;
    card_ = dest_.Path("card");
    out_ = dest_.Path("out");
    return std::filesystem::create_directory(card_) && std::filesystem::create_directory(out_);
  }
  // Small recordings at 30 pictures a second, a key picture every second.
  void Make(const Recording& r) {
    // The size, rate and duration belong to the source filter, the first of the chain.
    const std::string chain = r.source;
    const size_t comma = chain.find(',');
    const std::string size = std::string(r.source) == kFront ? "160x120" : "128x96";
    const std::string graph = chain.substr(0, comma) + "=size=" + size + ":rate=30:duration=" +
                              std::to_string(r.seconds) + (comma == std::string::npos ? "" : chain.substr(comma));
    std::filesystem::create_directories(std::filesystem::path(card_ + "/" + r.name).parent_path());
    const ProcessResult made = RunProcess({"ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i", graph,
                                           "-c:v", "libx264", "-preset", "ultrafast", "-g", "30", "-pix_fmt",
                                           "yuv420p", card_ + "/" + r.name});
    ASSERT_EQ(made.status, 0) << made.err;
  }
  TempDir dest_;
  std::string card_, out_;
};

class ChannelExport : public testing::TestWithParam<ChannelCase>, public ChannelCard {
 protected:
  void SetUp() override {
    if (!SetUpCard()) GTEST_SKIP() << "ffmpeg, ffprobe or sha256sum missing";
  }
};

class ChannelExportFailure : public testing::Test, public ChannelCard {
 protected:
  void SetUp() override {
    if (!SetUpCard()) GTEST_SKIP() << "ffmpeg, ffprobe or sha256sum missing";
  }
};

TEST_P(ChannelExport, EveryChannelClipShowsTheMainClipsSpanAndIsListed) {
  const ChannelCase c = GetParam();
  for (const Recording& r : c.recordings) ASSERT_NO_FATAL_FAILURE(Make(r));
  const std::string main = card_ + "/" + c.recordings.front().name;
  const ProcessResult r = RunCli({"export", "--from", c.from, "--to", c.to, "-o", out_, main});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> made = Entries(out_);
  ASSERT_EQ(made.size(), 1u);
  const std::string folder = out_ + "/" + made.front();

  std::vector<std::string> files = {"SHA256SUMS", "clip.MP4", "manifest.json", "telemetry.csv", "track.gpx"};
  for (const ChannelClip& ch : c.channels) files.push_back(ch.file);
  std::sort(files.begin(), files.end());
  EXPECT_EQ(Entries(folder), files);

  const std::vector<std::string> mainPictures = PictureDigests(folder + "/clip.MP4");
  ASSERT_FALSE(mainPictures.empty());
  EXPECT_EQ(int(mainPictures.size()), c.lastFrame - c.firstFrame + 1);
  EXPECT_EQ(DigestOf(mainPictures.front()), DigestAt(main, c.firstFrame * kFrameSeconds));
  EXPECT_EQ(DigestOf(mainPictures.back()), DigestAt(main, c.lastFrame * kFrameSeconds));

  const QJsonObject manifest =
      QJsonDocument::fromJson(QByteArray::fromStdString(ReadAll(folder + "/manifest.json"))).object();
  const QDateTime mainIn = QDateTime::fromString(manifest.value("in_camera_clock").toString(), Qt::ISODateWithMs);
  ASSERT_TRUE(mainIn.isValid());
  EXPECT_EQ(manifest.contains("channels"), !c.channels.empty());
  const QJsonArray listed = manifest.value("channels").toArray();
  ASSERT_EQ(listed.size(), qsizetype(c.channels.size()));
  const QJsonArray outputs = manifest.value("outputs").toArray();
  for (size_t i = 0; i < c.channels.size(); ++i) {
    const ChannelClip& ch = c.channels[i];
    SCOPED_TRACE(ch.file);
    const std::string clip = folder + "/" + ch.file;
    const std::string source = card_ + "/" + ch.recording;

    // The movie box first, as the main clip's.
    const std::string head = ReadAll(clip).substr(0, 64);
    ASSERT_EQ(head.substr(4, 4), "ftyp");
    const size_t ftyp = (size_t(uint8_t(head[2])) << 8) | uint8_t(head[3]);
    EXPECT_EQ(head.substr(ftyp + 4, 4), "moov");

    const std::vector<std::string> pictures = PictureDigests(clip);
    ASSERT_FALSE(pictures.empty());
    EXPECT_EQ(int(pictures.size()), ch.lastFrame - ch.firstFrame + 1);
    EXPECT_EQ(DigestOf(pictures.front()), DigestAt(source, ch.firstFrame * kFrameSeconds));
    EXPECT_EQ(DigestOf(pictures.back()), DigestAt(source, ch.lastFrame * kFrameSeconds));
    EXPECT_NEAR(StreamDuration(clip, 0), (ch.lastFrame - ch.firstFrame + 1) * kFrameSeconds, 0.002);

    const QJsonObject entry = listed[qsizetype(i)].toObject();
    EXPECT_EQ(entry.value("letter").toString().toStdString(), ch.letter);
    EXPECT_EQ(entry.value("file").toString().toStdString(), ch.file);
    const QDateTime in = QDateTime::fromString(entry.value("in_camera_clock").toString(), Qt::ISODateWithMs);
    EXPECT_NEAR(double(mainIn.msecsTo(in)), ch.offsetMs, 1.0);
    EXPECT_EQ(entry.value("duration_s").toString().toStdString(), Seconds(ch.lastFrame - ch.firstFrame + 1));
    const QJsonArray sources = entry.value("sources").toArray();
    ASSERT_EQ(sources.size(), 1);
    const QJsonObject s = sources[0].toObject();
    EXPECT_EQ(s.value("card_name").toString().toStdString(), std::filesystem::path(ch.recording).filename().string());
    EXPECT_EQ(s.value("sha256").toString().toStdString(), FileSha256(source));
    EXPECT_EQ(qint64(s.value("size").toDouble()), qint64(ReadAll(source).size()));
    EXPECT_EQ(s.value("used_from_s").toString().toStdString(), Seconds(ch.firstFrame));
    EXPECT_EQ(s.value("used_to_s").toString().toStdString(), Seconds(ch.lastFrame + 1));
    EXPECT_TRUE(outputs.contains(QString::fromLatin1(ch.file)));
  }

  // The checksums cover the channels' clips and recordings too.
  const std::string sums = ReadAll(folder + "/SHA256SUMS");
  for (const ChannelClip& ch : c.channels) {
    EXPECT_NE(sums.find(std::string("  ") + ch.file + "\n"), std::string::npos);
    EXPECT_NE(sums.find(std::string("/") + ch.recording + "\n"), std::string::npos);
  }
  const ProcessResult check = RunProcess({"sh", "-c", "cd '" + folder + "' && sha256sum -c --strict SHA256SUMS"});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
}

INSTANTIATE_TEST_SUITE_P(Channels, ChannelExport, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ChannelCase>& i) { return i.param.name; });

// The camera's own card has one channel: its manifest holds exactly what it always held.
TEST(SingleChannelExport, ManifestKeepsItsFieldsAndListsNoChannels) {
  const std::string samples = SamplesFolder();
  if (samples.empty()) GTEST_SKIP() << "no sample folder (build the samples target)";
  TempDir dest;
  const ProcessResult r = RunCli({"export", "--from", "+3", "--to", "+6", "-o", dest.dir(), samples + "/20250614080000.MP4"});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string folder = dest.Path("20250614-080003_3s");
  const QJsonObject manifest =
      QJsonDocument::fromJson(QByteArray::fromStdString(ReadAll(folder + "/manifest.json"))).object();
  EXPECT_EQ(manifest.keys(), (QStringList{"camera_clock_minus_gps_utc_s", "duration_s", "exported_at_utc",
                                          "in_camera_clock", "out_camera_clock", "outputs", "program",
                                          "program_version", "sources"}));
  EXPECT_EQ(manifest.value("outputs").toArray(),
            QJsonArray::fromStringList({"clip.MP4", "track.gpx", "telemetry.csv"}));
  EXPECT_EQ(manifest.value("sources").toArray()[0].toObject().keys(),
            (QStringList{"card_name", "path", "sha256", "size", "used_from_s", "used_to_s"}));
}

// A range over two consecutive recordings: the channel's clip follows the main pieces, each
// from that recording's channel. The engine is handed the sample card's recordings crosswise as
// each other's channel (same length, same start by name: no offset), so each recording is both
// a main source and a channel source and is checked once in SHA256SUMS.
TEST(ChannelExportEngine, AChannelAcrossTwoRecordingsFollowsTheMainPieces) {
  const std::string samples = SamplesFolder();
  if (samples.empty()) GTEST_SKIP() << "no sample folder (build the samples target)";
  if (!HaveProgram("ffmpeg") || !HaveProgram("sha256sum")) GTEST_SKIP() << "ffmpeg or sha256sum missing";
  const std::string first = samples + "/20250614080000.MP4", second = samples + "/20250614080100.MP4";
  TempDir dest;
  korvane::ExportRange range;
  range.recordings = {QString::fromStdString(first), QString::fromStdString(second)};
  range.inUs = 15'500'000;           // frame 465 of the first
  range.outUs = 20'000'000 + 4'200'000;  // frame 126 of the second
  AddChannelRecording(range, 0, QChar(u'r'), QString::fromStdString(second), 0);
  AddChannelRecording(range, 1, QChar(u'R'), QString::fromStdString(first), 0);
  ASSERT_EQ(range.channels.size(), 1);
  korvane::ExportOptions options;
  options.destination = QString::fromStdString(dest.dir());
  korvane::ExportProgress progress;
  const auto result = RunExport(range, options, progress);
  ASSERT_TRUE(result.has_value()) << result.error().detail.toStdString();
  const std::string folder = result->folder.toStdString();

  const std::vector<std::string> pictures = PictureDigests(folder + "/clip_R.MP4");
  EXPECT_EQ(pictures.size(), PictureDigests(folder + "/clip.MP4").size());
  ASSERT_FALSE(pictures.empty());
  EXPECT_EQ(DigestOf(pictures.front()), DigestAt(second, 465 * kFrameSeconds));
  EXPECT_EQ(DigestOf(pictures.back()), DigestAt(first, 126 * kFrameSeconds));

  const QJsonObject manifest =
      QJsonDocument::fromJson(QByteArray::fromStdString(ReadAll(folder + "/manifest.json"))).object();
  const QJsonArray sources = manifest.value("channels").toArray()[0].toObject().value("sources").toArray();
  ASSERT_EQ(sources.size(), 2);
  EXPECT_EQ(sources[0].toObject().value("card_name").toString(), "20250614080100.MP4");
  EXPECT_EQ(sources[0].toObject().value("used_from_s").toString(), "15.500000");
  EXPECT_EQ(sources[1].toObject().value("card_name").toString(), "20250614080000.MP4");
  EXPECT_EQ(sources[1].toObject().value("used_from_s").toString(), "0.000000");
  const std::string sums = ReadAll(folder + "/SHA256SUMS");
  EXPECT_EQ(std::count(sums.begin(), sums.end(), '\n'), 2 + 5) << sums;  // two recordings, five files
  const ProcessResult check = RunProcess({"sh", "-c", "cd '" + folder + "' && sha256sum -c --strict SHA256SUMS"});
  EXPECT_EQ(check.status, 0) << check.out << check.err;
}

// A channel's clip that does not fit leaves nothing, as a main clip that does not fit: the front
// is small, the rear (lossless, larger pictures) fills the small file system, mounted in a
// private mount namespace so that no root is needed.
TEST_F(ChannelExportFailure, FullDestinationAtAChannelClipLeavesNothing) {
  if (!HaveProgram("unshare")) GTEST_SKIP() << "unshare is not installed";
  ASSERT_NO_FATAL_FAILURE(Make({"20250301_140000_NF.mp4", kFront, 6}));
  const ProcessResult rear = RunProcess({"ffmpeg", "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                                         "testsrc2=size=640x480:rate=30:duration=5", "-c:v", "libx264", "-qp", "0",
                                         "-preset", "ultrafast", "-g", "30", "-pix_fmt", "yuv420p",
                                         card_ + "/20250301_140001_NR.mp4"});
  ASSERT_EQ(rear.status, 0) << rear.err;
  const std::string script = "mount -t tmpfs -o size=1m tmpfs '" + out_ + "' || exit 99; '" KORVANE_CLI
                             "' export --from +2.5 --to +4.5 -o '" + out_ + "' '" + card_ +
                             "/20250301_140000_NF.mp4'; echo \"rc=$?\"; ls -A '" + out_ + "'";
  const ProcessResult r = RunProcess({"unshare", "-rm", "sh", "-c", script});
  if (r.status == 99) GTEST_SKIP() << "no private mount namespace here: " << r.err;
  EXPECT_EQ(r.out, "rc=2\n") << r.err;  // exit 2 and nothing listed
  EXPECT_NE(r.err.find("clip_R.MP4"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("No space left on device"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace korvane::test
