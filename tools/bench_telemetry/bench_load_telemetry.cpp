// bench_load_telemetry RECORDING [RUNS]: times LoadTelemetry (walk, text samples, decode) and
// Mp4Parser::Load alone, with a warm cache, and prints the median, minimum and 90th percentile.
// bench_load_telemetry --copy-text SOURCE TARGET: gives TARGET (an MP4 with video and audio) the
// text track of SOURCE (one sample a tenth of a second), for recordings of a chosen size.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "mp4parse/load_telemetry.h"
#include "tools/mp4write/mp4write.h"

namespace {

struct Figures {
  double median, min, p90;
};

template <class Fn>
Figures Time(int runs, Fn fn) {
  std::vector<double> us;
  for (int i = 0; i < runs; ++i) {
    const auto t0 = std::chrono::steady_clock::now();
    fn();
    const auto t1 = std::chrono::steady_clock::now();
    us.push_back(std::chrono::duration<double, std::micro>(t1 - t0).count());
  }
  std::sort(us.begin(), us.end());
  return {us[us.size() / 2], us.front(), us[us.size() * 9 / 10]};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--copy-text") {
    korvane::Mp4Parser source;
    if (source.Load(argv[2]) != korvane::DataTypeSubtitle) {
      std::fprintf(stderr, "bench_load_telemetry: %s has no text track\n", argv[2]);
      return 1;
    }
    korvane::mp4write::AddTextTrack(argv[3], source.lines, 100, 1000);
    return 0;
  }
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_load_telemetry RECORDING [RUNS]\n");
    return 2;
  }
  const std::string path = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 200;
  korvane::Mp4Parser parser;
  std::vector<std::string> lines;
  auto track = std::make_unique<korvane::TelemetryTrack>();
  bool gpsSeen = false;
  const korvane::DataType type = korvane::LoadTelemetry(path, "", parser, lines, *track, gpsSeen);  // warm-up
  const Figures load = Time(runs, [&] { korvane::LoadTelemetry(path, "", parser, lines, *track, gpsSeen); });
  const Figures parse = Time(runs, [&] { parser.Load(path); });
  std::printf("data_type=%d lines=%zu runs=%d\n", static_cast<int>(type), lines.size(), runs);
  std::printf("LoadTelemetry      median %.1f us  min %.1f us  p90 %.1f us\n", load.median, load.min, load.p90);
  std::printf("Mp4Parser::Load    median %.1f us  min %.1f us  p90 %.1f us\n", parse.median, parse.min, parse.p90);
  return 0;
}
