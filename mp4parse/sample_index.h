#pragma once
// Which telemetry sample belongs to a playback position.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "mp4parse/telemetry_types.h"

namespace korvane {

// The sample shown at positionTenths: trunc(position x lines / duration), clamped to the samples
// the track holds (0 for an empty track). Empty when the position is not below the duration.
std::optional<int> SampleIndexAt(std::int64_t positionTenths, std::size_t lineCount, std::int64_t durationTenths,
                                 const TelemetryTrack& track);

} // namespace korvane
