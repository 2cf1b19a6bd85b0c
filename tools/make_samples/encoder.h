// Picture and sound of a sample recording, made by the ffmpeg executable (argument vector, no
// shell): a moving test picture whose colours differ per recording, the file name, the recorder's
// clock and the time into the recording drawn on it (a red frame marks an event), and a beeping
// tone. H.264 video first, AAC audio second, a keyframe every second. A dashboard panel shows the
// speed, G value and GPS fix the telemetry carries at that moment.
#pragma once

#include <string>
#include <vector>

#include "tools/make_samples/drive.h"
#include "tools/make_samples/sample_set.h"

namespace korvane::samples {

// The arguments after the program name; the output goes to `output`. `dashboardCommands` names a
// command file (see DashboardCommands) in ffmpeg's working directory, or is empty for no dashboard.
std::vector<std::string> FfmpegArguments(const RecordingPlan& plan, const VideoFormat& format, int index,
                                         const std::string& dashboardCommands, const std::string& output);

// The commands that make the picture's dashboard show speed, G and fix of the drive, ten times a
// second (ffmpeg's sendcmd format).
std::string DashboardCommands(const std::vector<DrivePoint>& drive, int startTenths, int seconds);

struct EncodeJob {
  std::vector<std::string> arguments;
  std::string output;
  std::string workingDirectory;  // empty: the current one
};

// Runs the ffmpeg executable (from PATH) for every job, `parallel` at a time. Returns an empty
// text on success, else what went wrong (with ffmpeg's own message).
std::string RunEncodes(const std::vector<EncodeJob>& jobs, int parallel);

}  // namespace korvane::samples
