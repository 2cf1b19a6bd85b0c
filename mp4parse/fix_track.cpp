#include "mp4parse/fix_track.h"

#include <algorithm>
#include <cmath>

#include "mp4parse/text_fields.h"

namespace korvane {

namespace {

std::string LineOf(const TelemetrySample& s) {
  std::string line = s.dateTime;
  if (s.fixValid) {
    line += (line.empty() ? "" : "  ");
    line += (s.latitude < 0 ? "S" : "N") + fields::FormatFixed(std::fabs(s.latitude), 6) + " " +
            (s.longitude < 0 ? "W" : "E") + fields::FormatFixed(std::fabs(s.longitude), 6);
    if (s.speedKmh != NoSpeed) line += "  " + fields::FormatFixed(s.speedKmh, 1) + " km/h";
  }
  if (!s.gText.empty()) line += (line.empty() ? "" : "  ") + s.gText;
  return line;
}

}  // namespace

void FillFixTrack(const std::vector<GpsFix>& fixes, const std::vector<double>& gPerSecond,
                  std::vector<std::string>& lines, TelemetryTrack& track, bool& gpsSeen) {
  track.Clear();
  lines.clear();
  const size_t seconds = std::min(std::max(fixes.size(), gPerSecond.size()), MaxFixes);
  for (size_t i = 0; i < seconds; ++i) {
    TelemetrySample s;
    s.speedKmh = NoSpeed;
    if (i < fixes.size()) {
      const GpsFix& f = fixes[i];
      s.dateTime = f.dateTime.substr(0, MaxDateTime);
      if (f.valid && PositionInRange(f.latitude, f.longitude)) {
        s.fixValid = 1;
        s.latitude = f.latitude;
        s.longitude = f.longitude;
        if (f.speedKmh >= 0 && f.speedKmh < NoSpeed) s.speedKmh = f.speedKmh;
        gpsSeen = true;
      }
    }
    if (i < gPerSecond.size() && std::isfinite(gPerSecond[i])) {
      s.gForce = gPerSecond[i];
      s.gText = "G:" + fields::FormatFixed(s.gForce, 2);
    }
    const std::string line = LineOf(s);
    for (size_t k = 0; k < SamplesPerFix; ++k) {
      track.samples[i * SamplesPerFix + k] = s;
      lines.push_back(line);
    }
    // Counted once a second, as the "$" form counts its lines.
    if (s.fixValid) ++track.validCount;
    if (s.speedKmh != NoSpeed) {
      ++track.speedCount;
      track.maxSpeed = std::max(track.maxSpeed, s.speedKmh);
    }
    track.maxG = std::max(track.maxG, s.gForce);
  }
  if (track.validCount == 0 && track.speedCount == 0) track.maxSpeed = DefaultMaxSpeed;
  track.sampleCount = static_cast<int32_t>(seconds * SamplesPerFix);
  track.dataType = DataTypeFixes;
}

}  // namespace korvane
