#pragma once
// The frame grid of a recording's video: how long one frame lasts, read from the video track's
// sample table (its media time scale and the usual sample duration), and the arithmetic that
// puts a kernel position (100 ns units) on that grid. Frame k starts at k frame durations.
#include <QString>
#include <cstdint>
#include <optional>

namespace korvane {

// The duration of one video frame in 100 ns units: the most common sample duration of the
// first video track divided by its time scale. Empty when the file cannot be read, holds no
// video track or its tables are damaged. Sizes read from the file are checked before use;
// the media data is never read.
std::optional<double> ReadFrameDuration(const QString& mp4Path);

// The same from the bytes of a "moov" box's payload (what the reader finds in the file).
std::optional<double> FrameDurationInMovie(const char* data, std::int64_t size);

// The frame shown at a position: the last frame that starts at or before it (a position one
// unit short of a frame's start, from rounding, counts as that frame).
std::int64_t FrameIndexAt(std::int64_t position100ns, double frame100ns);
// The first whole unit at or after the start of frame `index`.
std::int64_t FrameStart(std::int64_t index, double frame100ns);
// The last frame that starts before the duration (0 for an empty recording).
std::int64_t LastFrameIndex(std::int64_t duration100ns, double frame100ns);
// Where one step of `direction` frames from the frame shown at `position100ns` lands, kept
// between the first and the last frame.
std::int64_t StepTarget(std::int64_t position100ns, int direction, double frame100ns, std::int64_t duration100ns);

} // namespace korvane
