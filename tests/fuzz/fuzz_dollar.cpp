// The "$" line parser and decoder over arbitrary text (lines at LF, as the side-car gives them).
#include <cstdint>
#include <string>
#include <vector>

#include "mp4parse/telemetry_decode.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  bool seen = false;
  korvane::TelemetrySample sample;
  korvane::GValues g{};
  try {
    korvane::ParseDollarLine(text, sample, g, seen);
  } catch (const korvane::TelemetryConversionError&) {
  }
  if (sample.dateTime.size() > korvane::MaxDateTime) __builtin_trap();

  std::vector<std::string> lines;
  size_t at = 0;
  while (at < text.size()) {
    const size_t lf = text.find('\n', at);
    const size_t end = lf == std::string::npos ? text.size() : lf;
    lines.push_back(text.substr(at, end - at));
    at = end + 1;
  }
  static korvane::TelemetryTrack track;
  try {
    const int n = korvane::DecodeDollarLines(lines, track, seen);
    if (n != static_cast<int>(lines.size())) __builtin_trap();
  } catch (const korvane::TelemetryConversionError&) {
  }
  return 0;
}
