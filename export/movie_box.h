#pragma once
// The finishing touches to the clip's movie box that the muxer does not make, done in place in
// the space the muxer reserved before the media data (so no media offset moves):
//  - the timed-text telemetry track as the camera writes it: one text sample per chunk, a size
//    for every sample, one time-to-sample entry, and none of the muxer's empty closing samples;
//  - the camera's "@CMT" comment (the "$" or "GPS" block of the range, or the camera's marker)
//    in a user-data box before the tracks.
// Also reads a recording's "@CMT" comment. Boxes are read with their sizes checked against the
// bytes that hold them.
#include "core/expected.h"
#include "export/export_request.h"

#include <cstdint>
#include <string>

namespace korvane {

// Largest movie box read or rewritten: a camera's is a few hundred kilobytes.
inline constexpr std::uint64_t kMaxMovieBox = 64u << 20;

// The payload of the first "@CMT" box of the recording at `path` (in its movie box's user data),
// or empty when it has none or its movie box cannot be read.
std::string ReadCameraComment(const std::string& path);

// Rewrites the movie box of the clip at `path`: the text track `textTrack` (index among the
// tracks; -1 for none) keeps its first `textSamples` samples; a non-empty `comment` is added as
// "@CMT". Unwritable when the file cannot be rewritten, BadInput when the reserved space is too
// small or the boxes are not as the muxer writes them.
Expected<void, ExportError> FinishMovieBox(const std::string& path, int textTrack, int textSamples,
                                           const std::string& comment);

} // namespace korvane
