// The movie duration of an MP4 file from its moov/mvhd box.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace korvane::cli {

// The duration in 100 ns units (duration x 10 000 000 / timescale), or nothing when the file has
// no readable movie header. Box sizes are checked against the file before they are used.
std::optional<std::int64_t> MovieDuration100ns(const std::string& path);

}  // namespace korvane::cli
