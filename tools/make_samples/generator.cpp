#include "tools/make_samples/generator.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>

#include "tools/make_samples/drive.h"
#include "tools/make_samples/encoder.h"
#include "tools/make_samples/expected_files.h"
#include "tools/make_samples/sample_set.h"
#include "tools/make_samples/telemetry.h"
#include "tools/mp4write/mp4write.h"

namespace fs = std::filesystem;

namespace korvane::samples {
namespace {

constexpr uint32_t kTextTimescale = 1000;
constexpr uint32_t kTextSampleDuration = 100;  // ten text samples a second
const char* const kMarker = "KOVAGPS:TEXTTRACK";

struct Fnv {
  uint64_t h = 1469598103934665603ull;
  void Add(const char* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      h ^= static_cast<unsigned char>(data[i]);
      h *= 1099511628211ull;
    }
  }
  std::string Hex() const {
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(h));
    return buf;
  }
};

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// Writes a file under a temporary name and renames it into place.
void WriteText(const fs::path& path, const std::string& text) {
  const fs::path tmp = path.string() + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(text.data(), std::streamsize(text.size()));
    out.flush();
    if (!out) throw std::runtime_error("cannot write " + tmp.string());
  }
  fs::rename(tmp, path);
}

std::string Describe(const Options& o) {
  std::string d = o.longRecordings ? "long" : "standard";
  if (o.count > 0) d = "count=" + std::to_string(o.count) + ",events=" + std::to_string(o.events);
  return d;
}

bool UpToDate(const fs::path& folder, const std::string& id) {
  std::string oldId;
  std::vector<std::pair<std::string, unsigned long long>> files;
  std::error_code ec;
  if (!fs::is_regular_file(folder / "expected" / "manifest.csv", ec)) return false;
  if (!ReadManifest(ReadText(folder / "expected" / "manifest.csv"), oldId, files) || oldId != id) return false;
  for (const auto& [name, bytes] : files) {
    const fs::path p = folder / name;
    if (!fs::is_regular_file(p, ec)) return false;
    if (bytes != kAnySize && fs::file_size(p, ec) != bytes) return false;
  }
  return fs::is_regular_file(folder / "expected" / "drive.csv", ec);
}

// Removes what an earlier run left: the files its manifest names and our own sub-folders.
void RemoveEarlierOutput(const fs::path& folder) {
  std::error_code ec;
  std::string oldId;
  std::vector<std::pair<std::string, unsigned long long>> files;
  if (fs::is_regular_file(folder / "expected" / "manifest.csv", ec) &&
      ReadManifest(ReadText(folder / "expected" / "manifest.csv"), oldId, files)) {
    // Only plain names inside the folder: a damaged manifest must not reach anything else.
    for (const auto& f : files)
      if (!f.first.empty() && f.first.find('/') == std::string::npos && f.first[0] != '.')
        fs::remove(folder / f.first, ec);
  }
  fs::remove_all(folder / "expected", ec);
  fs::remove_all(folder / "sidecar", ec);
  fs::remove_all(folder / ".work", ec);
}

struct Encoded {
  fs::path file;
  bool cached = false;
};

// The encode for one plan, taken from the cache when the same ffmpeg arguments and dashboard
// commands made it before.
Encoded PlanEncode(const fs::path& folder, const RecordingPlan& label, const VideoFormat& format, int index,
                   const std::string& dashboard, std::vector<EncodeJob>& jobs) {
  const fs::path workDir = folder / ".work";
  std::string commandsFile;
  if (!dashboard.empty()) {
    commandsFile = "dashboard" + std::to_string(index) + ".cmd";
    WriteText(workDir / commandsFile, dashboard);
  }
  std::vector<std::string> args = FfmpegArguments(label, format, index, commandsFile, "OUTPUT");
  std::string joined = dashboard;
  for (const auto& a : args) joined += a + '\n';
  const fs::path file = folder / ".cache" / (HashText(joined) + ".mp4");
  std::error_code ec;
  if (fs::is_regular_file(file, ec)) return {file, true};
  args.back() = file.string() + ".part";
  jobs.push_back({args, file.string(), workDir.string()});
  return {file, false};
}

struct Made {
  int lines = 0;
  int sidecarLines = 0;
  std::string sidecar;
  std::string expected;
};

// Copies the encode into place and adds the plan's telemetry with the box writer.
Made AddTelemetry(const fs::path& folder, const fs::path& encode, const RecordingPlan& plan,
                  const std::vector<DrivePoint>& drive) {
  namespace mw = korvane::mp4write;
  const fs::path work = folder / ".work" / plan.name;
  fs::copy_file(encode, work, fs::copy_options::overwrite_existing);
  Made made;
  Telemetry telemetry;
  switch (plan.form) {
    case Form::Subtitle:
      telemetry = BuildSubtitle(drive, plan.driveTenths, plan.seconds, plan.clockStart);
      mw::AddTextTrack(work.string(), telemetry.lines, kTextSampleDuration, kTextTimescale);
      if (plan.marker) mw::AddCommentBox(work.string(), kMarker, mw::UdtaPlace::BeforeTracks);
      made.lines = int(telemetry.lines.size());
      break;
    case Form::Dollar:
      telemetry = BuildDollar(drive, plan.driveTenths, plan.seconds, plan.clockStart);
      mw::AddCommentBox(work.string(), DollarComment(telemetry.lines), mw::UdtaPlace::BeforeTracks);
      made.lines = int(telemetry.lines.size()) * 10;
      break;
    case Form::GpsBlock:
      telemetry = BuildDollar(drive, plan.driveTenths, plan.seconds, plan.clockStart);
      telemetry.form = Form::GpsBlock;
      mw::AddCommentBox(work.string(), GpsComment(telemetry.lines), mw::UdtaPlace::BeforeTracks);
      made.lines = int(telemetry.lines.size()) * 10;
      break;
    case Form::None:
      break;
  }
  if (plan.sidecar) {
    telemetry = BuildDollar(drive, plan.driveTenths, plan.seconds, plan.clockStart);
    fs::create_directories(folder / "sidecar");
    made.sidecar = "sidecar/" + plan.Stem() + ".GPS";
    WriteText(folder / made.sidecar, SidecarText(telemetry.lines));
    made.sidecarLines = int(telemetry.lines.size()) * 10;
  }
  if (!telemetry.expected.empty()) {
    made.expected = "expected/" + plan.Stem() + ".csv";
    WriteText(folder / made.expected, ExpectedCsv(plan, telemetry));
  }
  fs::rename(work, folder / plan.name);
  return made;
}

}  // namespace

std::string HashText(const std::string& text) {
  Fnv f;
  f.Add(text.data(), text.size());
  return f.Hex();
}

std::string HashFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "unreadable";
  Fnv f;
  char buf[1 << 16];
  while (in) {
    in.read(buf, sizeof buf);
    f.Add(buf, size_t(in.gcount()));
  }
  return f.Hex();
}

int Generate(const Options& options) {
  const auto started = std::chrono::steady_clock::now();
  const fs::path folder = fs::absolute(options.folder);
  const std::string id = options.generatorId + " " + Describe(options);
  if (!options.force && UpToDate(folder, id)) {
    std::cout << "make_samples: " << folder.string() << " is up to date\n";
    return 0;
  }
  fs::create_directories(folder);
  RemoveEarlierOutput(folder);
  const fs::path cacheDir = folder / ".cache";
  fs::create_directories(cacheDir);
  fs::create_directories(folder / ".work");
  fs::create_directories(folder / "expected");

  VideoFormat format;
  std::vector<RecordingPlan> plans;
  if (options.count > 0) {
    format.seconds = 15;
    format.crf = 30;
    plans = CountSet(options.count, options.events, format.seconds);
  } else {
    if (options.longRecordings) {
      format.width = 1920;
      format.height = 1080;
      format.seconds = 60;
    }
    plans = StandardSet(format.seconds);
  }

  // Picture and sound first, two ffmpeg processes at a time.
  const std::vector<DrivePoint> drive = SimulateDrive();
  std::vector<EncodeJob> jobs;
  std::vector<fs::path> encodes;
  std::set<fs::path> used;
  if (options.count > 0) {
    RecordingPlan label = plans.front();
    label.name = "benchmark recording";
    const Encoded e = PlanEncode(folder, label, format, 0, "", jobs);
    encodes.assign(plans.size(), e.file);
    used.insert(e.file);
  } else {
    for (size_t i = 0; i < plans.size(); ++i) {
      const std::string dashboard = DashboardCommands(drive, plans[i].driveTenths, format.seconds);
      const Encoded e = PlanEncode(folder, plans[i], format, int(i), dashboard, jobs);
      encodes.push_back(e.file);
      used.insert(e.file);
    }
  }
  std::cout << "make_samples: encoding " << jobs.size() << " of " << used.size() << " recordings with ffmpeg ("
            << plans.size() << " files, " << format.width << "x" << format.height << ", " << format.seconds
            << " s)\n"
            << std::flush;
  const std::string failure = RunEncodes(jobs, options.parallel);
  if (!failure.empty()) {
    std::cerr << "make_samples: " << failure << "\n";
    return 1;
  }
  for (const auto& job : jobs) fs::rename(job.output + ".part", job.output);
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(cacheDir, ec))
    if (!used.count(entry.path())) fs::remove(entry.path(), ec);

  // Then the telemetry, the side-car file and the description.
  std::vector<ManifestRow> rows;
  for (size_t i = 0; i < plans.size(); ++i) {
    const Made made = AddTelemetry(folder, encodes[i], plans[i], drive);
    ManifestRow row;
    row.plan = plans[i];
    row.format = format;
    row.lines = made.lines;
    row.sidecar = made.sidecar;
    row.sidecarLines = made.sidecarLines;
    row.expected = made.expected;
    row.bytes = fs::file_size(folder / plans[i].name);
    rows.push_back(row);
  }
  WriteText(folder / "expected" / "drive.csv", DriveCsv(drive));
  WriteText(folder / "expected" / "manifest.csv", ManifestCsv(rows, id));
  fs::remove_all(folder / ".work", ec);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("make_samples: %zu recordings in %s (%.1f s)\n", plans.size(), folder.string().c_str(), seconds);
  return 0;
}

}  // namespace korvane::samples
