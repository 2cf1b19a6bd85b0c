// Loading a recording's telemetry for a subcommand, with the tool's error reporting.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mp4parse/telemetry_types.h"

namespace korvane::cli {

struct LoadedRecording {
  DataType dataType = DataTypeNone;
  std::vector<std::string> lines;
  std::unique_ptr<TelemetryTrack> track = std::make_unique<TelemetryTrack>();
  // Samples the decode filled, in index order.
  size_t FilledSamples() const;
};

// Loads like the viewer does (the side-car, when given, wins; without one, another camera's
// side-car beside the recording is taken, see FindOtherSidecar). Returns ExitOk, or prints a
// one-line message naming the file at fault to stderr and returns ExitNoFile (recording or
// given side-car missing or not openable) or ExitBadData (a G pair that is not hexadecimal, or
// a recording that is not a complete MP4 file).
int LoadRecording(const std::string& recording, const std::string& sidecar, LoadedRecording& out);

// Printable form of arbitrary bytes for a one-line message.
std::string Printable(std::string_view text);

}  // namespace korvane::cli
