// The subtitle-line parser and the subtitle track decoder over arbitrary text.
#include <cstdint>
#include <string>
#include <vector>

#include "mp4parse/telemetry_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  bool seen = false;
  korvane::TelemetrySample sample;
  korvane::ParseSubtitleLine(text, sample, seen);
  if (sample.dateTime.size() > korvane::MaxDateTime || sample.gText.size() > 8) __builtin_trap();

  std::vector<std::string> lines;
  size_t at = 0;
  while (at <= text.size()) {
    const size_t lf = text.find('\n', at);
    const size_t end = lf == std::string::npos ? text.size() : lf;
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  static korvane::TelemetryTrack track;
  const int n = korvane::DecodeSubtitleLines(lines, track, seen);
  if (n != static_cast<int>(lines.size()) || track.validCount > n || track.speedCount > n) __builtin_trap();
  return 0;
}
