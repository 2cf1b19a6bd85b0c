#include "mp4parse/sample_index.h"

#include <algorithm>

namespace korvane {

std::optional<int> SampleIndexAt(std::int64_t positionTenths, std::size_t lineCount, std::int64_t durationTenths,
                                 const TelemetryTrack& track)
{
    if (positionTenths >= durationTenths || positionTenths < 0)
        return std::nullopt;
    const double exact = static_cast<double>(positionTenths) * static_cast<double>(lineCount) /
                         static_cast<double>(durationTenths);
    const int usable = std::clamp<int>(track.sampleCount, 0, static_cast<int>(TrackCapacity));
    const int last = std::max(usable - 1, 0);
    return static_cast<int>(std::clamp(exact, 0.0, static_cast<double>(last)));
}

} // namespace korvane
