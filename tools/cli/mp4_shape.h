// Whether a file is shaped like an MP4 recording at all: its top-level boxes follow one another
// to the end of the file (a last box of size 0 runs to the end) and one of them is "moov".
// Garbage and recordings cut short fail this check; a recording without telemetry passes it.
#pragma once

#include <string>

namespace korvane::cli {

// Empty when the file has that shape, else a short reason ("not an MP4 recording: ...",
// "not a complete MP4 recording: ...").
// Reads at most MaxShapeBoxes headers; a file with more boxes is taken as shaped.
std::string Mp4ShapeProblem(const std::string& path);

inline constexpr int MaxShapeBoxes = 10000;

}  // namespace korvane::cli
