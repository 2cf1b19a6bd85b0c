// Another camera's side-cars over arbitrary bytes: the NMEA text and the acceleration records,
// then the track they fill.
#include <cstdint>
#include <string>
#include <vector>

#include "mp4parse/fix_track.h"
#include "mp4parse/nmea_sidecar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  uint64_t found = 0;
  const std::vector<korvane::GpsFix> fixes = korvane::ParseNmeaText(bytes, &found);
  const std::vector<double> g = korvane::ParseGRecords(bytes);
  if (fixes.size() > korvane::MaxFixes || g.size() > korvane::MaxFixes) __builtin_trap();
  for (const korvane::GpsFix& f : fixes)
    if (f.valid && !korvane::PositionInRange(f.latitude, f.longitude)) __builtin_trap();
  static korvane::TelemetryTrack track;
  std::vector<std::string> lines;
  bool seen = false;
  korvane::FillFixTrack(fixes, g, lines, track, seen);
  if (lines.size() != static_cast<size_t>(track.sampleCount) || lines.size() > korvane::TrackCapacity) __builtin_trap();
  return 0;
}
