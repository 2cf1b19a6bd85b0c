#pragma once
// Playback time arithmetic in the viewer's units (see kernel/time_units.h).
#include <cstdint>

#include "kernel/time_units.h"

namespace korvane {


// trunc(position x 10 / 10 010 000).
inline std::int64_t PositionTenths(std::int64_t position100ns)
{
    return static_cast<std::int64_t>(static_cast<double>(position100ns) * 10.0 / kViewerUnitsPerSecond);
}

inline float DurationSeconds(std::int64_t duration100ns)
{
    return static_cast<float>(static_cast<double>(duration100ns) / kViewerUnitsPerSecond);
}

// trunc(durationSeconds x 10).
inline int DurationTenths(float durationSeconds)
{
    return static_cast<int>(static_cast<double>(durationSeconds) * 10.0);
}

// The seek target of a bar position in tenths.
inline std::int64_t SeekTarget(std::int64_t tenths) { return tenths * kUnitsPerTenth; }

// A recording has ended once its position is within a tenth of its duration. Durations of a
// thousandth of a second or less never end this way.
inline bool ReachedEnd(float durationSeconds, std::int64_t positionTenths)
{
    return durationSeconds > 0.001f &&
           static_cast<double>(positionTenths + 1) >= static_cast<double>(durationSeconds) * 10.0;
}

// The chart position of x: trunc(x / width x samples), clamped to 0 .. durationTenths - 1.
inline int ChartPosition(int x, int chartWidth, int chartSamples, int durationTenths)
{
    int v = chartWidth > 0 ? static_cast<int>(static_cast<double>(x) / chartWidth * chartSamples) : 0;
    if (v < 0)
        v = 0;
    if (v >= durationTenths)
        v = durationTenths - 1;
    return v < 0 ? 0 : v;
}

} // namespace korvane
