#include "mp4parse/load_telemetry.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "mp4parse/binary_stream.h"

namespace korvane {

namespace {

// The side-car's lines, one entry per line as the file holds them (LF or CRLF line ends; empty
// lines kept; no final empty entry for a trailing line end).
std::vector<std::string> ReadSidecar(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw MP4::BinaryStreamException(1);
  std::vector<std::string> out;
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    out.push_back(line);
  }
  if (in.bad()) throw MP4::BinaryStreamException(1);
  return out;
}

}  // namespace

TelemetryLoadResult LoadTelemetryLines(const std::string& mp4Path, const std::string& sidecarPath,
                                       Mp4Parser& parser) {
  std::error_code ec;
  if (!sidecarPath.empty() && std::filesystem::exists(sidecarPath, ec)) {
    if (!std::filesystem::is_regular_file(sidecarPath, ec)) throw MP4::BinaryStreamException(1);
    std::vector<std::string> sidecar = ReadSidecar(sidecarPath);
    parser.dataType = DataTypeGps;
    parser.lines = std::move(sidecar);
  } else {
    parser.Load(mp4Path);
  }
  return {parser.dataType, parser.lines};
}

void DecodeByType(DataType type, const std::vector<std::string>& lines, TelemetryTrack& track,
                  bool& gpsSeen) {
  switch (type) {
    case DataTypeSubtitle: DecodeSubtitleLines(lines, track, gpsSeen); break;
    case DataTypeGps:
    case DataTypeDollar: DecodeDollarLines(lines, track, gpsSeen); break;
    case DataTypeNone: break;
  }
}

DataType LoadTelemetry(const std::string& mp4Path, const std::string& sidecarPath, Mp4Parser& parser,
                       std::vector<std::string>& lines, TelemetryTrack& track, bool& gpsSeen) {
  TelemetryLoadResult result = LoadTelemetryLines(mp4Path, sidecarPath, parser);
  lines = std::move(result.lines);
  DecodeByType(result.dataType, lines, track, gpsSeen);
  track.dataType = result.dataType;
  return result.dataType;
}

}  // namespace korvane
