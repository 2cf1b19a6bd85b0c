// bench_hostile_load [RUNS]: times LoadTelemetry on recordings made to exhaust the reader
// (gigabytes of zeros, sample tables of hundreds of millions of entries, a comment or side-car
// of nothing but line breaks, tens of thousands of tiny boxes) and prints the median and maximum
// per case and the worst of all. The viewer's goal: no recording holds the window for more
// than 100 ms while its telemetry loads. The large files are sparse: they cost little disk.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "mp4parse/load_telemetry.h"
#include "tools/mp4write/mp4write.h"

namespace {

namespace w = korvane::mp4write;

// A moov whose three tkhd boxes and text-track tables declare `count` samples; only the first
// few exist, the rest of the tables is a hole.
void HugeTables(const std::string& path, uint32_t count) {
  const uint64_t table = uint64_t{count} * 4;
  w::Bytes head = w::LargeBoxHeader("moov", 0);
  for (int t = 0; t < 3; ++t) w::Append(head, w::Box("tkhd", w::Zeros(84)));
  w::Append(head, w::FullBox("stts", 0, 0, w::Cat({w::U32(1), w::U32(count), w::U32(100)})));
  w::Append(head, w::Cat({w::BoxHeader("stsz", static_cast<uint32_t>(20 + table)), w::U32(0), w::U32(0), w::U32(count)}));
  const uint64_t stcoAt = head.size() + table;
  const uint64_t total = stcoAt + 16 + table;
  const w::Bytes moov = w::LargeBoxHeader("moov", total);
  std::copy(moov.begin(), moov.end(), head.begin());
  w::WriteSparseFile(path, {{0, head}, {stcoAt, w::Cat({w::BoxHeader("stco", static_cast<uint32_t>(16 + table)),
                                                       w::U32(0), w::U32(count)})}},
                     total);
}

w::Bytes TwoTracks() {
  w::FileSpec spec;
  w::TrackSpec video;
  video.samples = {w::Zeros(100), w::Zeros(100)};
  w::TrackSpec audio = video;
  audio.handler = "soun";
  spec.tracks = {video, audio};
  return w::BuildFile(spec);
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
  char pattern[] = "/tmp/korvane-bench-hostile-XXXXXX";
  if (!mkdtemp(pattern)) return 2;
  const std::string dir = pattern;
  struct Case {
    std::string name;
    std::function<void(const std::string&)> make;
    bool sidecar = false;
  };
  const std::vector<Case> cases = {
      {"zeros_8GiB", [](const std::string& p) { w::WriteSparseFile(p, {}, 8ull << 30); }},
      {"recording_plus_3GiB_zeros",
       [](const std::string& p) {
         const w::Bytes file = TwoTracks();
         w::WriteSparseFile(p, {{0, file}}, file.size() + (3ull << 30));
       }},
      {"tables_50M", [](const std::string& p) { HugeTables(p, 50'000'000u); }},
      {"tables_500M", [](const std::string& p) { HugeTables(p, 500'000'000u); }},
      {"comment_1MiB_of_line_breaks",
       [](const std::string& p) {
         std::string text = "$";
         while (text.size() < (1u << 20) - 64) text += "x\n";
         w::WriteFile(p, w::CommentUdta(text));
       }},
      {"tiny_boxes_1M",
       [](const std::string& p) {
         w::Bytes many;
         for (int i = 0; i < 1'000'000; ++i) w::Append(many, w::BoxHeader("free", 8));
         w::WriteFile(p, many);
       }},
      // Another camera's recording without any freeGPS block: the scan gives up after 20 MB.
      {"mdat_3GiB_without_freeGPS",
       [](const std::string& p) {
         w::Bytes head = w::BoxHeader("ftyp", 16);
         w::Append(head, w::Bytes(8, 'i'));
         w::Append(head, w::LargeBoxHeader("mdat", 3ull << 30));
         w::WriteSparseFile(p, {{0, head}}, 16 + (3ull << 30));
       }},
      // Its side-car: ten megabytes of sentences that all fail their checksum.
      {"nmea_10MB_bad_checksums",
       [](const std::string& p) {
         std::string text;
         while (text.size() < 10'000'000) text += "$GPRMC,120000.00,A,4042.76656,N,07400.35844,W,10.25,45.0,010123,,,A*00\n";
         w::WriteFile(p, w::Bytes(text.begin(), text.end()));
       },
       true},
      {"sidecar_10MB_of_line_breaks",
       [](const std::string& p) {
         const std::string text(10'000'000, '\n');
         w::WriteFile(p, w::Bytes(text.begin(), text.end()));
       },
       true},
  };
  double worst = 0;
  std::printf("%-30s %12s %12s\n", "case", "median_ms", "max_ms");
  for (const Case& c : cases) {
    const std::string path = dir + "/" + c.name + (c.sidecar ? (c.name.rfind("nmea", 0) == 0 ? ".gps" : ".GPS") : ".MP4");
    c.make(path);
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
      korvane::Mp4Parser parser;
      std::vector<std::string> lines;
      auto track = std::make_unique<korvane::TelemetryTrack>();
      bool seen = false;
      const auto t0 = std::chrono::steady_clock::now();
      korvane::LoadTelemetry(c.sidecar ? dir + "/absent.MP4" : path, c.sidecar ? path : "", parser, lines, *track, seen);
      ms.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    worst = std::max(worst, ms.back());
    std::printf("%-30s %12.2f %12.2f\n", c.name.c_str(), ms[ms.size() / 2], ms.back());
    std::filesystem::remove(path);
  }
  std::printf("worst_ms=%.2f goal_ms=100 %s\n", worst, worst <= 100 ? "met" : "MISSED");
  std::filesystem::remove_all(dir);
  return 0;
}
