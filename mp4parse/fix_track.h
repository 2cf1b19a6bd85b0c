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

// Clears `track` and fills one sample per fix (and per G value where there are more of those),
// at most TrackCapacity; sample i's G is gPerSample[i] (0 beyond it). `lines` receive one
// readable line per sample, so that the sample at a moment of playback is found as for the
// camera's text track. Sets dataType DataTypeFixes and sampleCount to the samples filled;
// gpsSeen is set when a fix is valid.
void FillFixTrack(const std::vector<GpsFix>& fixes, const std::vector<double>& gPerSample,
                  std::vector<std::string>& lines, TelemetryTrack& track, bool& gpsSeen);

}  // namespace korvane
