#pragma once
// The lossless clip: the planned packets of one or several recordings copied into one MP4 by
// libavformat, without decoding. Every stream of the first recording that the MP4 muxer takes
// (video, audio, timed text) is kept in its order, so the timed-text telemetry stays the third
// track. Timestamps are shifted so that In is zero: the packets from the key frame before In get
// negative times, and the muxer's edit list makes playback start at In. The movie box is written
// first, into space reserved before the media data.
#include "core/expected.h"
#include "export/clip_plan.h"
#include "export/export_request.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

struct ClipWritten {
    int textTrack = -1;             // index of the timed-text track among the clip's tracks, or -1
    int textSamples = 0;            // text samples written to it
    std::int64_t durationUs = 0;    // length of what the clip shows
    std::uint64_t reservedBytes = 0; // movie box space reserved before the media data
};

// Writes `pieces` to `outPath`. Progress runs from `permilleFrom` to `permilleTo`; a stop request
// is honoured between packets. `extraMoovBytes` is room kept for boxes added to the movie box
// afterwards. On failure the file may be left partly written: the caller removes it.
Expected<ClipWritten, ExportError> WriteLosslessClip(const std::vector<ClipPiece>& pieces,
                                                     const std::string& outPath, std::uint64_t extraMoovBytes,
                                                     ExportProgress& progress, int permilleFrom, int permilleTo);

} // namespace korvane
