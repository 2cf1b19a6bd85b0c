// The track of another camera's recording: one sample per GPS fix (NMEA side-car, freeGPS blocks
// in the media data) with the per-second G values beside it, in the same track model as the
// camera's own forms, so that chart, read-outs, maps, GPX and CSV show it as they show those.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mp4parse/telemetry_types.h"

namespace korvane {

// One fix as decoded: positions in decimal degrees with the hemisphere applied (south and west
// negative), speed in km/h or NoSpeed, time "YYYY/MM/DD hh:mm:ss" (UTC as the receiver gives it;
// empty or shorter when the source does not say it).
struct GpsFix {
  bool valid = false;
  double latitude = 0;
  double longitude = 0;
  double speedKmh = NoSpeed;
  std::string dateTime;
};

// Fixes come once a second; a track sample stands for a tenth of a second, so each fix (and each
// per-second G value) fills SamplesPerFix samples, as each line of the camera's "$" form does.
inline constexpr size_t SamplesPerFix = 10;
// Fixes (and acceleration records, and freeGPS blocks) a track can hold: the decoders keep no more.
inline constexpr size_t MaxFixes = TrackCapacity / SamplesPerFix;

// Clears `track` and fills SamplesPerFix samples per fix (and per G value where there are more
// of those), at most TrackCapacity (90 s); second i's G is gPerSecond[i] (0 beyond it). `lines`
// receive one readable line per sample, so that the sample at a moment of playback is found as
// for the camera's other forms. Sets dataType DataTypeFixes and sampleCount to the samples
// filled; gpsSeen is set when a fix is valid.
void FillFixTrack(const std::vector<GpsFix>& fixes, const std::vector<double>& gPerSecond,
                  std::vector<std::string>& lines, TelemetryTrack& track, bool& gpsSeen);

}  // namespace korvane
