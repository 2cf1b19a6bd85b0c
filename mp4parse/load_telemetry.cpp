#include "mp4parse/load_telemetry.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "mp4parse/binary_stream.h"

namespace korvane {

namespace {

// The side-car's lines, one entry per line as the file holds them (LF or CRLF line ends; empty
// lines kept; no final empty entry for a trailing line end). Reads at most MaxSidecarBytes and
// keeps at most MaxKeptLines; `count` receives the number of lines read.
std::vector<std::string> ReadSidecar(const std::string& file, uint64_t& count) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw MP4::BinaryStreamException(1);
  std::string text(MaxSidecarBytes, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  if (in.bad()) throw MP4::BinaryStreamException(1);
  text.resize(static_cast<size_t>(in.gcount()));
  std::vector<std::string> out;
  count = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    const size_t next = end == std::string::npos ? text.size() : end + 1;
    if (end == std::string::npos) end = text.size();
    if (out.size() < MaxKeptLines) {
      std::string_view line(text.data() + at, end - at);
      if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
      out.emplace_back(line);
    }
    ++count;
    at = next;
  }
  return out;
}

}  // namespace

TelemetryLoadResult LoadTelemetryLines(const std::string& mp4Path, const std::string& sidecarPath,
                                       Mp4Parser& parser) {
  std::error_code ec;
  if (!sidecarPath.empty() && std::filesystem::exists(sidecarPath, ec)) {
    if (!std::filesystem::is_regular_file(sidecarPath, ec)) throw MP4::BinaryStreamException(1);
    uint64_t count = 0;
    std::vector<std::string> sidecar = ReadSidecar(sidecarPath, count);
    parser.dataType = DataTypeGps;
    parser.lines = std::move(sidecar);
    parser.lineCount = count;
  } else {
    parser.Load(mp4Path);
  }
  return {parser.dataType, parser.lines, parser.lineCount};
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
  if (result.dataType != DataTypeNone)
    track.sampleCount = static_cast<int32_t>(std::min<uint64_t>(result.lineCount, INT32_MAX));
  track.dataType = result.dataType;
  return result.dataType;
}

}  // namespace korvane
