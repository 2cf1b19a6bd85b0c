// Picture and sound of a sample recording, made by the ffmpeg executable (argument vector, no
// shell): a moving test picture whose colours differ per recording, the file name, the recorder's
// clock and the time into the recording drawn on it (a red frame marks an event), and a beeping
// tone. H.264 video first, AAC audio second, a keyframe every second.
#pragma once

#include <string>
#include <vector>

#include "tools/make_samples/sample_set.h"

namespace korvane::samples {

// The arguments after the program name; the output goes to `output`.
std::vector<std::string> FfmpegArguments(const RecordingPlan& plan, const VideoFormat& format, int index,
                                         const std::string& output);

struct EncodeJob {
  std::vector<std::string> arguments;
  std::string output;
};

// Runs the ffmpeg executable (from PATH) for every job, `parallel` at a time. Returns an empty
// text on success, else what went wrong (with ffmpeg's own message).
std::string RunEncodes(const std::vector<EncodeJob>& jobs, int parallel);

}  // namespace korvane::samples
