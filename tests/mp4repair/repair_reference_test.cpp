// The reference a repair is rebuilt after, and the refusals of korvane-cli repair: a reference with
// its moov first, the nearest fitting recording of the folder found by default, a reference of
// another layout, random bytes, missing files, a healthy file, an output naming the input.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "mp4repair/damage.h"
#include "mp4repair/repair.h"
#include "repair_support.h"
#include "run_process.h"
#include "tools/bench_repair/camera_layout.h"

namespace korvane::test {
namespace {

namespace fs = std::filesystem;

class RepairReference : public testing::Test {
 protected:
  void SetUp() override {
    samples_ = SamplesFolder();
    if (samples_.empty()) GTEST_SKIP() << "no sample folder (build the samples target)";
    if (!HaveProgram("ffmpeg")) GTEST_SKIP() << "ffmpeg is not installed";
  }
  // The text-track sample laid out as the camera writes it and cut at half its media data.
  std::string Damaged(const std::string& name) {
    camera::CameraRecording rec;
    std::string error;
    const std::string whole = dir_.Path("whole.MP4");
    EXPECT_TRUE(camera::WriteCameraRecording(samples_ + "/20250614080000.MP4", whole, 1, 1.0, rec, error)) << error;
    const std::string out = dir_.Path(name);
    const uint64_t end = rec.samples.back().offset + rec.samples.back().size;
    EXPECT_TRUE(camera::CutAsPowerLoss(whole, out, rec.mdatBegin + (end - rec.mdatBegin) / 2, error)) << error;
    fs::remove(whole);
    return out;
  }
  void ExpectPlays(const std::string& path) {
    const ProcessResult decode = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-i", path, "-f", "null", "-"});
    EXPECT_EQ(decode.status, 0);
    EXPECT_EQ(decode.err, "");
  }
  std::string samples_;
  TempDir dir_;
};

TEST_F(RepairReference, ReferenceWithMoovFirst) {
  const std::string reference = dir_.Path("faststart.MP4");
  const ProcessResult remux = RunProcess({"ffmpeg", "-nostdin", "-v", "error", "-y", "-i", samples_ + "/20250614080100.MP4",
                                          "-map", "0", "-c", "copy", "-movflags", "+faststart", reference});
  ASSERT_EQ(remux.status, 0) << remux.err;
  const std::string damaged = Damaged("cut.MP4");
  const std::string output = dir_.Path("out.MP4");
  const ProcessResult r = RunCli({"repair", "--reference", reference, "-o", output, damaged});
  ASSERT_EQ(r.status, 0) << r.err;
  const RepairLine line = ParseRepairOutput(r.out);
  ASSERT_TRUE(line.parsed) << r.out;
  EXPECT_GT(line.video, 0u);
  EXPECT_GT(line.text, 0u);
  ExpectPlays(output);
  EXPECT_EQ(TelemetryLines(output).size(), line.text);
}

TEST_F(RepairReference, NearestFittingRecordingOfTheFolderByDefault) {
  // 080300 carries its telemetry in a comment (no text track): nearer by name but of another layout.
  fs::copy_file(samples_ + "/20250614080300.MP4", dir_.Path("20250614080300.MP4"));
  fs::copy_file(samples_ + "/20250614080100.MP4", dir_.Path("20250614080100.MP4"));
  const std::string damaged = Damaged("20250614080330.MP4");
  std::string error;
  EXPECT_EQ(repair::FindReference(damaged, error), dir_.Path("20250614080100.MP4")) << error;

  // Without -o the repaired copy goes to the working folder, not beside the damaged file.
  const std::string cache = dir_.Path("cache");
  setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  const ProcessResult r = RunCli({"repair", damaged});
  unsetenv("XDG_CACHE_HOME");
  ASSERT_EQ(r.status, 0) << r.err;
  const RepairLine line = ParseRepairOutput(r.out);
  EXPECT_EQ(line.output, cache + "/KorvaneData/20250614080330_repaired.MP4");
  EXPECT_TRUE(fs::is_regular_file(line.output));
  EXPECT_FALSE(fs::exists(dir_.Path("20250614080330_repaired.MP4")));
  ExpectPlays(line.output);
}

TEST_F(RepairReference, NoFittingRecordingInTheFolder) {
  fs::copy_file(samples_ + "/P20250614081000.MP4", dir_.Path("P20250614081000.MP4"));
  const ProcessResult r = RunCli({"repair", "-o", dir_.Path("out.MP4"), Damaged("20250614080330.MP4")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("no complete recording with the same tracks"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir_.Path("out.MP4")));
}

TEST_F(RepairReference, ReferenceOfAnotherLayoutIsRefused) {
  const std::string output = dir_.Path("out.MP4");
  const ProcessResult r =
      RunCli({"repair", "--reference", samples_ + "/P20250614081000.MP4", "-o", output, Damaged("cut.MP4")});
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("has another track layout (avc1+mp4a)"), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_FALSE(fs::exists(output));
}

TEST_F(RepairReference, InProcessResultAndCancel) {
  const std::string damaged = Damaged("20250614080330.MP4");
  repair::RepairRequest request;
  request.damaged = damaged;
  request.reference = samples_ + "/20250614080100.MP4";
  request.output = dir_.Path("api.MP4");
  uint64_t lastDone = 0, seenTotal = 0;
  int calls = 0;
  request.progress = [&](uint64_t done, uint64_t total) {
    EXPECT_GE(done, lastDone);
    EXPECT_LE(done, total);
    lastDone = done;
    seenTotal = total;
    ++calls;
    return true;
  };
  const repair::RepairResult done = repair::RepairRecording(request);
  ASSERT_TRUE(done.ok()) << done.message;
  EXPECT_GE(calls, 1);
  EXPECT_EQ(seenTotal, done.totalBytes);
  EXPECT_EQ(done.output, request.output);
  EXPECT_EQ(done.reference, request.reference);
  EXPECT_GT(done.video, 0u);
  EXPECT_GT(done.audio, 0u);
  EXPECT_GT(done.text, 0u);
  EXPECT_LE(done.coveredBytes, done.totalBytes);

  request.output = dir_.Path("cancelled.MP4");
  request.progress = [](uint64_t, uint64_t) { return false; };
  const repair::RepairResult cancelled = repair::RepairRecording(request);
  EXPECT_EQ(int(cancelled.status), int(repair::RepairStatus::Cancelled));
  EXPECT_FALSE(fs::exists(request.output));
  EXPECT_FALSE(fs::exists(request.output + ".part"));
}

TEST_F(RepairReference, UnrecognisedStretchIsSkippedToTheNextKeyFrame) {
  camera::CameraRecording rec;
  std::string error;
  const std::string whole = dir_.Path("whole.MP4");
  ASSERT_TRUE(camera::WriteCameraRecording(samples_ + "/20250614080000.MP4", whole, 1, 1.0, rec, error)) << error;
  const SampleSpan audio = SampleAt(whole, 1, SampleCount(whole, 1) * 2 / 5);
  const uint64_t keep = rec.mdatBegin + (rec.fileSize - rec.mdatBegin) * 4 / 5;
  const std::vector<size_t> kept = SamplesKept(whole, keep);
  ASSERT_TRUE(camera::CutAsPowerLoss(whole, dir_.Path("cut.MP4"), keep, error)) << error;
  // 5000 bytes of noise where an audio chunk began.
  std::string bytes = FileBytes(dir_.Path("cut.MP4"));
  std::string noise(5000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = char((i * 37 + 11) & 0xFF);
  bytes.insert(audio.offset, noise);
  const std::string damaged = dir_.Path("noisy.MP4");
  w::WriteFile(damaged, w::Bytes(bytes.begin(), bytes.end()));

  const std::string output = dir_.Path("out.MP4");
  const ProcessResult r =
      RunCli({"repair", "--reference", samples_ + "/20250614080100.MP4", "-o", output, damaged});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("unrecognised bytes skipped at byte " + std::to_string(audio.offset)), std::string::npos)
      << r.err;
  const RepairLine line = ParseRepairOutput(r.out);
  ASSERT_TRUE(line.parsed) << r.out;
  // At most the samples up to the next key frame (a second) are lost.
  EXPECT_GE(double(line.video), 0.9 * double(kept[0]));
  EXPECT_GE(double(line.audio), 0.9 * double(kept[1]));
  EXPECT_GE(double(line.text), 0.9 * double(kept[2]));
  ExpectPlays(output);
  EXPECT_EQ(TelemetryLines(output).size(), line.text);
}

TEST_F(RepairReference, StuckWalkWithoutALaterKeyFrameWritesWhatItHas) {
  camera::CameraRecording rec;
  std::string error;
  const std::string whole = dir_.Path("whole.MP4");
  ASSERT_TRUE(camera::WriteCameraRecording(samples_ + "/20250614080000.MP4", whole, 1, 1.0, rec, error)) << error;
  const SampleSpan audio = SampleAt(whole, 1, SampleCount(whole, 1) / 3);
  const uint64_t keep = rec.mdatBegin + (rec.fileSize - rec.mdatBegin) * 4 / 5;
  const std::vector<size_t> before = SamplesKept(whole, audio.offset);
  ASSERT_TRUE(camera::CutAsPowerLoss(whole, dir_.Path("cut.MP4"), keep, error)) << error;
  // Noise from an audio chunk on to the cut: no key frame follows the stuck point.
  std::string bytes = FileBytes(dir_.Path("cut.MP4"));
  for (uint64_t i = audio.offset; i < bytes.size(); ++i) bytes[i] = char(((i * 37 + 11) ^ (i >> 7)) & 0xFF);
  const std::string damaged = dir_.Path("stuck.MP4");
  w::WriteFile(damaged, w::Bytes(bytes.begin(), bytes.end()));

  const std::string output = dir_.Path("out.MP4");
  const ProcessResult r = RunCli({"repair", "--reference", samples_ + "/20250614080100.MP4", "-o", output, damaged});
  ASSERT_EQ(r.status, 0) << r.err;
  const RepairLine line = ParseRepairOutput(r.out);
  ASSERT_TRUE(line.parsed) << r.out;
  EXPECT_EQ(line.video, before[0]);
  EXPECT_EQ(line.audio, before[1]);
  EXPECT_EQ(line.text, before[2]);
  EXPECT_NE(r.err.find("the media data from byte " + std::to_string(audio.offset) + " to byte " +
                       std::to_string(bytes.size()) + " could not be read"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("another track layout"), std::string::npos) << r.err;
  ExpectPlays(output);
}

TEST_F(RepairReference, OnlyRegularFilesAreReadOrReplaced) {
  const std::string damaged = Damaged("cut.MP4");
  const std::string reference = samples_ + "/20250614080100.MP4";
  const std::string fifo = dir_.Path("fifo.MP4");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // A FIFO as the damaged file or the reference is refused at once, not waited on for a writer.
  const ProcessResult asDamaged = RunCli({"repair", "--reference", reference, "-o", dir_.Path("a.MP4"), fifo});
  EXPECT_EQ(asDamaged.status, 2) << asDamaged.err;
  const ProcessResult asReference = RunCli({"repair", "--reference", fifo, "-o", dir_.Path("b.MP4"), damaged});
  EXPECT_EQ(asReference.status, 2) << asReference.err;
  EXPECT_FALSE(fs::exists(dir_.Path("a.MP4")) || fs::exists(dir_.Path("b.MP4")));

  // An output naming a device node or a FIFO leaves the node as it is.
  std::vector<std::pair<std::string, fs::file_type>> nodes = {{fifo, fs::file_type::fifo}};
  const std::string device = dir_.Path("null");
  if (::geteuid() == 0 && ::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) == 0)
    nodes.push_back({device, fs::file_type::character});
  for (const auto& [node, type] : nodes) {
    const ProcessResult r = RunCli({"repair", "--reference", reference, "-o", node, damaged});
    EXPECT_EQ(r.status, 2) << node;
    EXPECT_NE(r.err.find("is not a regular file"), std::string::npos) << r.err;
    EXPECT_EQ(fs::symlink_status(node).type(), type) << node;
    EXPECT_FALSE(fs::exists(node + ".part")) << node;
  }

  // A name with a line break: the path is printed escaped, as scan prints names, on one line.
  const std::string odd = dir_.Path("out\nnew\tline.MP4");
  const ProcessResult r = RunCli({"repair", "--reference", reference, "-o", odd, damaged});
  ASSERT_EQ(r.status, 0) << r.err;
  const RepairLine line = ParseRepairOutput(r.out);
  EXPECT_EQ(line.output, dir_.Path("out\\nnew\\tline.MP4"));
  EXPECT_TRUE(fs::is_regular_file(odd));
}

// Every message names its files escaped as scan prints names: one line on stderr whatever a name
// holds (a line break, a tab, a byte that is no UTF-8).
TEST_F(RepairReference, PathsInMessagesAreEscaped) {
  const std::string odd = "odd\nname\t\xFF";
  const std::string escaped = "odd\\nname\\t\\xFF";
  const std::string healthy = dir_.Path(odd + "healthy.MP4");
  fs::copy_file(samples_ + "/20250614080200.MP4", healthy);
  const std::string damaged = Damaged(odd + "cut.MP4");
  const std::string reference = samples_ + "/20250614080100.MP4";
  struct Case {
    std::vector<std::string> args;
    std::string named;  // the escaped name the message holds
  };
  const Case cases[] = {
      {{"repair", "--reference", reference, "-o", dir_.Path("a.MP4"), healthy}, dir_.Path(escaped + "healthy.MP4")},
      {{"repair", "--reference", dir_.Path(odd + "none.MP4"), "-o", dir_.Path("b.MP4"), damaged},
       dir_.Path(escaped + "none.MP4")},
      {{"repair", "--reference", reference, "-o", damaged, damaged}, dir_.Path(escaped + "cut.MP4")},
  };
  for (const Case& c : cases) {
    const ProcessResult r = RunCli(c.args);
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.err.find(c.named), std::string::npos) << r.err;
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;  // one line
  }
}

TEST_F(RepairReference, WorkingFolderIsTheUsersAlone) {
  const std::string damaged = Damaged("cut.MP4");
  const std::string cache = dir_.Path("cache");
  setenv("XDG_CACHE_HOME", cache.c_str(), 1);
  const ProcessResult r = RunCli({"repair", "--reference", samples_ + "/20250614080100.MP4", damaged});
  unsetenv("XDG_CACHE_HOME");
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(fs::status(cache + "/KorvaneData").permissions() & fs::perms::all, fs::perms::owner_all);
}

TEST_F(RepairReference, CorruptedBytesNeverBreakTheRepair) {
  const std::string damaged = Damaged("cut.MP4");
  const std::string clean = FileBytes(damaged);
  for (uint32_t seed = 1; seed <= 6; ++seed) {
    // Runs of random bytes at random places, sizes and box headers included.
    std::string bytes = clean;
    uint32_t x = seed * 2654435761u;
    const auto next = [&x] { return x = x * 1664525u + 1013904223u; };
    for (int k = 0; k < 12; ++k) {
      const size_t at = next() % bytes.size();
      const size_t run = 1 + next() % 64;
      for (size_t i = at; i < at + run && i < bytes.size(); ++i) bytes[i] = char(next() >> 24);
    }
    if (seed % 2) for (int i = 32; i < 40; ++i) bytes[size_t(i)] = char(next() >> 24);  // the mdat header
    const std::string path = dir_.Path("noise" + std::to_string(seed) + ".MP4");
    w::WriteFile(path, w::Bytes(bytes.begin(), bytes.end()));
    repair::RepairRequest request{path, samples_ + "/20250614080100.MP4", dir_.Path("out.MP4"), {}};
    const repair::RepairResult r = repair::RepairRecording(request);
    if (r.ok()) {
      EXPECT_EQ(int(repair::CheckRecording(r.output).state), int(repair::FileState::Healthy)) << seed;
      EXPECT_LE(r.coveredBytes, r.totalBytes);
    } else {
      EXPECT_FALSE(r.message.empty()) << seed;
    }
    EXPECT_FALSE(fs::exists(dir_.Path("out.MP4.part")));
  }
}

struct Refusal {
  const char* name;
  int status;
  const char* message;
};

class RepairRefusal : public RepairReference, public testing::WithParamInterface<Refusal> {};

TEST_P(RepairRefusal, ExitStatusAndMessage) {
  const Refusal c = GetParam();
  const std::string reference = samples_ + "/20250614080100.MP4";
  std::string damaged = dir_.Path("input.MP4");
  std::string ref = reference;
  std::string output = dir_.Path("out.MP4");
  const std::string name = c.name;
  if (name == "RandomBytes") {
    w::Bytes noise(1 << 16);
    uint32_t x = 7;
    for (auto& b : noise) b = uint8_t((x = x * 1664525u + 1013904223u) >> 24);
    w::WriteFile(damaged, noise);
  } else if (name == "HealthyRecording") {
    fs::copy_file(samples_ + "/20250614080200.MP4", damaged);
  } else if (name == "MissingReference") {
    damaged = Damaged("input.MP4");
    ref = dir_.Path("none.MP4");
  } else if (name == "OutputIsTheInput") {
    damaged = Damaged("input.MP4");
    output = damaged;
  } else if (name == "DamagedReference") {
    damaged = Damaged("input.MP4");
    ref = Damaged("other.MP4");
  }  // MissingFile: nothing written
  const std::string before = FileBytes(damaged);
  const ProcessResult r = RunCli({"repair", "--reference", ref, "-o", output, damaged});
  EXPECT_EQ(r.status, c.status) << r.err;
  EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(FileBytes(damaged), before);
  if (output != damaged) {
    EXPECT_FALSE(fs::exists(output));
  }
  EXPECT_FALSE(fs::exists(output + ".part"));
}

const Refusal kRefusals[] = {
    {"RandomBytes", 1, "is not an MP4 recording"},
    {"HealthyRecording", 1, "is not damaged"},
    {"MissingFile", 2, "cannot open"},
    {"MissingReference", 2, "cannot open the reference"},
    {"DamagedReference", 1, "is not a complete recording"},
    {"OutputIsTheInput", 2, "would replace an input file"},
};

INSTANTIATE_TEST_SUITE_P(Cases, RepairRefusal, testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(RepairUsage, WrongArguments) {
  EXPECT_EQ(RunCli({"repair"}).status, 64);
  EXPECT_EQ(RunCli({"repair", "--reference"}).status, 64);
  EXPECT_EQ(RunCli({"repair", "a.MP4", "b.MP4"}).status, 64);
}

}  // namespace
}  // namespace korvane::test
