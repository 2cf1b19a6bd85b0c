#pragma once
// Which samples of each recording go into the lossless clip. The plan is made from the video's
// frame times alone (ReadVideoFrames), before anything is written: the picture shown at In, the
// key frame the clip must start decoding from, the picture shown at Out and the telemetry samples
// (tenths of a second) of the same span.
#include "core/expected.h"
#include "export/export_request.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

// One video frame in decode order: when it is shown (microseconds from the recording's start)
// and whether decoding may start at it.
struct VideoFrame {
    std::int64_t ptsUs = 0;
    std::int64_t durationUs = 0;
    bool key = false;
};

struct RecordingFrames {
    std::vector<VideoFrame> frames;  // decode order
    std::int64_t endUs = 0;          // end of the last frame shown
};

// The part of one recording the clip takes.
struct ClipPiece {
    std::string path;
    std::int64_t shownFromUs = 0;  // start of the first picture shown (In, on the frame it falls in)
    std::int64_t shownToUs = 0;    // end of the last picture shown (exclusive)
    int firstPacket = 0;           // decode-order index of the first video packet written (a key frame)
    int lastPacket = 0;            // decode-order index of the last video packet written
    int firstSample = 0;           // first telemetry sample (tenth of a second) of the span
    int endSample = 0;             // one past the last telemetry sample of the span
};

// The video frames of the recording at `path` in decode order, from its sample tables (the
// media data is read but not decoded). Unreadable for a file that cannot be opened, BadInput
// for one without a video stream or frames.
Expected<RecordingFrames, ExportError> ReadVideoFrames(const std::string& path);

// The pieces for `range` over recordings whose frames are `frames` (same order as
// range.recordings). In snaps down to the start of the picture shown at In; Out takes the
// picture shown at Out whole. BadInput when the range lies outside the recordings or is empty.
Expected<std::vector<ClipPiece>, ExportError> PlanPieces(const ExportRange& range,
                                                         const std::vector<RecordingFrames>& frames);

// The telemetry samples [first, end) covering [fromUs, toUs), in steps of `granularity` samples
// (10 for forms that carry one line a second).
void SampleSpan(std::int64_t fromUs, std::int64_t toUs, int granularity, int& first, int& end);

} // namespace korvane
