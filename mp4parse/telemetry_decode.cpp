#include "mp4parse/telemetry_decode.h"

#include <algorithm>
#include <cmath>

#include "mp4parse/text_fields.h"

namespace korvane {

namespace {

using fields::ReadCoordinate;
using fields::ReadNumber;
using fields::ReadSpeed;
using fields::SplitFields;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Characters [from, from+count) of `s`, cut at its end.
std::string_view Part(std::string_view s, size_t from, size_t count) {
  if (from >= s.size()) return {};
  return s.substr(from, count);
}

// Values the card gave that no sample can hold are made into what a line without them gives:
// a speed that is not finite or not in [0, NoSpeed) is no speed, a G value that is not finite is
// 0, and a position that is not finite or out of range is no fix at all.
void KeepInRange(TelemetrySample& sample) {
  if (!(sample.speedKmh >= 0 && sample.speedKmh < NoSpeed)) sample.speedKmh = NoSpeed;
  if (!std::isfinite(sample.gForce)) sample.gForce = 0;
  if (!PositionInRange(sample.latitude, sample.longitude)) {
    sample.latitude = sample.longitude = 0;
    sample.fixValid = 0;
  }
}

bool ParseSubtitleFields(std::string_view text, TelemetrySample& sample, bool& gpsSeen) {
  sample.Reset();
  std::string_view copy = text.substr(0, std::min(text.size(), MaxLookedAt));
  if (text.size() < MinLineLength) return false;

  const size_t time = copy.find("Time:");
  if (time != std::string_view::npos && copy.size() - time >= 24)
    sample.dateTime = std::string(Part(copy, time + 5, MaxDateTime));

  const size_t g = copy.find("G:");
  if (g != std::string_view::npos) {
    if (copy.size() - g >= 8) {
      sample.gText = std::string(copy.substr(g, 8));
      sample.gForce = ReadNumber(copy.substr(g + 2, 6));
    }
    // The G part and the two characters before it play no further role.
    copy = copy.substr(0, g >= 2 ? g - 2 : 0);
  }

  if (copy.size() < MinSubtitleRest) return false;
  const size_t rmc = copy.find("$GPRMC");
  if (rmc == std::string_view::npos) return false;

  const std::vector<std::string_view> f = SplitFields(copy.substr(rmc));
  // f[0] "$GPRMC", f[1] UTC time, f[2] status, f[3] latitude, f[4] N/S, f[5] longitude, f[6] E/W,
  // f[7] speed in knots (optional).
  if (f.empty() || f[0] != "$GPRMC") return false;
  if (f.size() < 3) return false;
  if (f[2][0] != 'A') {
    sample.fixValid = 0;
    return true;  // taken, with nothing else read and gpsSeen unchanged
  }
  sample.fixValid = 1;
  if (f.size() < 4) return false;
  sample.latitude = ReadCoordinate(f[3]);
  if (f.size() < 6) return false;
  sample.longitude = ReadCoordinate(f[5]);
  if (f.size() < 7) return false;
  if (f.size() >= 8) sample.speedKmh = ReadSpeed(f[7], KnotsToKmh);
  gpsSeen = true;
  return true;
}

bool ParseDollarFields(std::string_view text, TelemetrySample& sample, GValues& gValues, bool& gpsSeen) {
  sample.Reset();
  if (text.size() < MinLineLength || text[0] != '$') return false;
  const std::string_view copy = text.substr(0, std::min(text.size(), MaxLookedAt));

  const std::vector<std::string_view> f = SplitFields(copy.substr(1));
  // f[0] date YYMMDD, f[1] time hhmmss, f[2] G pairs, f[3] status, f[4] latitude,
  // f[5] longitude, f[6] speed in tenths of a knot (optional).
  if (f.size() < 2) return false;
  const std::string_view date = Part(f[0], 0, 20);
  const std::string_view time = Part(f[1], 0, 20);
  std::string dt = "20";
  dt.append(Part(date, 0, 2)).append("/").append(Part(date, 2, 2)).append("/").append(Part(date, 4, 2));
  dt.append(" ").append(Part(time, 0, 2)).append(":").append(Part(time, 2, 2)).append(":");
  dt.append(Part(time, 4, 2));
  sample.dateTime = dt.substr(0, MaxDateTime);

  if (f.size() < 3 || f[2].size() < 2) return false;
  const std::string_view g = f[2];
  size_t pairs = 0;
  for (; pairs < GValueCount && 2 * pairs + 1 < g.size(); ++pairs) {
    const char hi = g[2 * pairs];
    const char lo = g[2 * pairs + 1];
    if (hi == '$') {
      if (pairs > 0) gValues[pairs] = gValues[pairs - 1];
      continue;
    }
    const int h = HexDigit(hi);
    const int l = HexDigit(lo);
    if (h < 0 || l < 0) throw TelemetryConversionError(std::string{hi, lo});
    gValues[pairs] = static_cast<float>((h * 16 + l) * GUnit);
  }
  for (size_t k = pairs; k < GValueCount; ++k) gValues[k] = gValues[pairs - 1];

  if (f.size() < 4) return false;
  sample.fixValid = f[3][0] == 'A' ? 1 : 0;
  if (f.size() < 5) return false;
  sample.latitude = ReadCoordinate(f[4]);
  if (f.size() < 6) return false;
  sample.longitude = ReadCoordinate(f[5]);
  if (f.size() >= 7) sample.speedKmh = ReadSpeed(f[6], DollarSpeedUnit * KnotsToKmh);
  gpsSeen = true;
  return true;
}

}  // namespace

bool ParseSubtitleLine(std::string_view text, TelemetrySample& sample, bool& gpsSeen) {
  const bool taken = ParseSubtitleFields(text, sample, gpsSeen);
  KeepInRange(sample);
  return taken;
}

bool ParseDollarLine(std::string_view text, TelemetrySample& sample, GValues& gValues, bool& gpsSeen) {
  const bool taken = ParseDollarFields(text, sample, gValues, gpsSeen);
  KeepInRange(sample);
  return taken;
}

int DecodeSubtitleLines(const std::vector<std::string>& lines, TelemetryTrack& track, bool& gpsSeen) {
  track.Clear();
  const size_t n = lines.size();
  if (n == 0) return 0;  // the track stays clear, maxSpeed 0
  for (size_t i = 0; i < n && i < TrackCapacity; ++i) {
    TelemetrySample& s = track.samples[i];
    ParseSubtitleLine(lines[i], s, gpsSeen);
    if (s.gForce > track.maxG) track.maxG = s.gForce;
    if (s.speedKmh != NoSpeed) {
      if (s.speedKmh > track.maxSpeed) track.maxSpeed = s.speedKmh;
      ++track.speedCount;
    }
    if (s.fixValid == 1) ++track.validCount;
  }
  if (track.validCount == 0 && track.speedCount == 0) track.maxSpeed = DefaultMaxSpeed;
  track.sampleCount = static_cast<int32_t>(std::min<size_t>(n, INT32_MAX));
  return track.sampleCount;
}

int DecodeDollarLines(const std::vector<std::string>& lines, TelemetryTrack& track, bool& gpsSeen) {
  track.Clear();
  const size_t n = lines.size();
  if (n == 0) {
    track.maxSpeed = DefaultMaxSpeed;
    return 0;
  }
  GValues g{};
  TelemetrySample scratch;
  for (size_t j = 0; j < n && j < TrackCapacity; j += GValueCount) {
    ParseDollarLine(lines[j], scratch, g, gpsSeen);
    for (size_t k = 0; k < GValueCount; ++k) {
      TelemetrySample& s = track.samples[j + k];
      s = scratch;
      s.gForce = g[k];
      s.gText = "G:" + fields::FormatFixed(g[k], 2);
    }
    for (size_t k = 0; k < GValueCount; ++k) {
      const TelemetrySample& s = track.samples[j + k];
      if (s.gForce > track.maxG) track.maxG = s.gForce;
      if (s.speedKmh != NoSpeed && s.speedKmh > track.maxSpeed) {
        track.maxSpeed = s.speedKmh;
        ++track.speedCount;
      }
    }
    if (track.samples[j].fixValid == 1) ++track.validCount;
  }
  if (track.validCount == 0 && track.speedCount == 0) track.maxSpeed = DefaultMaxSpeed;
  track.sampleCount = static_cast<int32_t>(std::min<size_t>(n, INT32_MAX));
  return track.sampleCount;
}

}  // namespace korvane
