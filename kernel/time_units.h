#pragma once
// Kernels report positions and durations in 100-nanosecond units; the viewer counts 10 010 000
// of them to a second (not 10 000 000), so one tenth of a second is 1 001 000 units.
#include <cstdint>

namespace korvane {

constexpr double kViewerUnitsPerSecond = 10010000.0;
constexpr std::int64_t kUnitsPerTenth = 1001000;

} // namespace korvane
