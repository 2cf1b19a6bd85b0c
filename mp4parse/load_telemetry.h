// Loading a recording's telemetry: the side-car file when present, else the MP4 itself, then the
// decode into a track.
//
// The viewer keeps its lines and track in its playback channel; it calls
//   LoadTelemetry(channel.mediaPath, channel.sidecarPath, parser, channel.lines, channel.track,
//                 gpsSeen)
// with QString paths given as QFile::encodeName(path).toStdString() (or the LoadChannelTelemetry
// template below, for a channel whose paths are std::string).
#pragma once

#include <string>
#include <vector>

#include "mp4parse/mp4_parser.h"
#include "mp4parse/telemetry_decode.h"
#include "mp4parse/telemetry_types.h"

namespace korvane {

// Largest side-car read: a real one holds a few hundred lines of under a hundred bytes; the rest
// of a larger file is ignored.
inline constexpr uint64_t MaxSidecarBytes = 1u << 20;

struct TelemetryLoadResult {
  DataType dataType = DataTypeNone;
  std::vector<std::string> lines;  // at most MaxKeptLines
  uint64_t lineCount = 0;          // lines found, kept or not
};

// Steps 1 and 2 of a load: the side-car's lines (when a regular file exists at `sidecarPath`;
// `sidecarPath` may be empty) as DataTypeGps without opening the MP4, else Mp4Parser::Load.
// Leaves the lines in `parser.lines` as well. Throws MP4::BinaryStreamException(1) when an
// existing MP4 or side-car cannot be opened.
TelemetryLoadResult LoadTelemetryLines(const std::string& mp4Path, const std::string& sidecarPath,
                                       Mp4Parser& parser);

// The whole load: replaces `lines` by the loaded lines (at most MaxKeptLines), decodes them into
// `track` by data type (DataTypeNone leaves the track as the caller left it) and stores the data
// type in track.dataType and the number of lines found in track.sampleCount. Returns the data
// type.
// On MP4::BinaryStreamException nothing is changed. On TelemetryConversionError (a bad G pair)
// `lines` already hold the new lines and `track` what was decoded before the bad line.
DataType LoadTelemetry(const std::string& mp4Path, const std::string& sidecarPath, Mp4Parser& parser,
                       std::vector<std::string>& lines, TelemetryTrack& track, bool& gpsSeen);

// Decodes `lines` into `track` as LoadTelemetry does for `type` (without storing the type).
void DecodeByType(DataType type, const std::vector<std::string>& lines, TelemetryTrack& track,
                  bool& gpsSeen);

// For a channel with std::string-convertible mediaPath/sidecarPath, std::vector<std::string>
// lines and TelemetryTrack track.
template <class Channel>
DataType LoadChannelTelemetry(Channel& channel, Mp4Parser& parser, bool& gpsSeen) {
  return LoadTelemetry(std::string(channel.mediaPath), std::string(channel.sidecarPath), parser,
                       channel.lines, channel.track, gpsSeen);
}

}  // namespace korvane
