// Decoding of the camera's telemetry lines into samples and a track.
//
// `gpsSeen` is the caller's flag: every parse that completes sets it to true; nothing clears it.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "mp4parse/telemetry_types.h"

namespace korvane {

// Raised by the "$" decoder for a G pair that is not two hexadecimal digits; it ends the load.
class TelemetryConversionError : public std::runtime_error {
 public:
  explicit TelemetryConversionError(const std::string& pair)
      : std::runtime_error("'" + pair + "' is not a valid hexadecimal G value"), pair_(pair) {}
  const std::string& Pair() const { return pair_; }

 private:
  std::string pair_;
};

using GValues = std::array<float, GValueCount>;

// One subtitle-track line ("Time:", "G:" and a "$GPRMC" sentence). True when the line was taken;
// a line that is not taken keeps the fields stored before the point where it failed.
bool ParseSubtitleLine(std::string_view text, TelemetrySample& sample, bool& gpsSeen);

// One "$" line (one second with ten G values). `gValues` carries over between lines.
// Throws TelemetryConversionError for a non-hexadecimal G pair.
bool ParseDollarLine(std::string_view text, TelemetrySample& sample, GValues& gValues, bool& gpsSeen);

// Clear `track` and decode at most the first TrackCapacity lines, one sample per line.
// Returns the number of lines (also stored as sampleCount).
int DecodeSubtitleLines(const std::vector<std::string>& lines, TelemetryTrack& track, bool& gpsSeen);

// Clear `track` and decode lines 0, 10, 20, ... (below TrackCapacity), each filling ten samples.
// Returns the number of lines. A TelemetryConversionError propagates with the track holding what
// was filled so far (sampleCount stays 0).
int DecodeDollarLines(const std::vector<std::string>& lines, TelemetryTrack& track, bool& gpsSeen);

}  // namespace korvane
