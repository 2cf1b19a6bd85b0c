#include "mp4parse/load_telemetry.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "mp4parse/binary_stream.h"
#include "mp4parse/free_gps.h"
#include "mp4parse/nmea_sidecar.h"

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
    case DataTypeFixes:  // decoded from their source, never from lines
    case DataTypeNone: break;
  }
}

namespace {

// "<path without extension>.3gf", when that is a regular file.
std::string GRecordsBeside(const std::string& sidecarPath) {
  const size_t dot = sidecarPath.rfind('.');
  const size_t slash = sidecarPath.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::error_code ec;
  for (const char* ext : {".3gf", ".3GF"}) {
    const std::string g = sidecarPath.substr(0, dot) + ext;
    if (std::filesystem::is_regular_file(g, ec)) return g;
  }
  return {};
}

// Another camera's side-car: its fixes (NMEA; else the recording's freeGPS blocks) and the
// acceleration records beside it.
DataType LoadOtherSidecar(OtherSidecar kind, const std::string& mp4Path, const std::string& sidecarPath,
                          std::string& bytes, std::vector<std::string>& lines, TelemetryTrack& track,
                          bool& gpsSeen) {
  std::vector<GpsFix> fixes;
  std::vector<double> g;
  std::error_code ec;
  if (kind == OtherSidecar::Nmea) {
    fixes = ParseNmeaText(bytes);
    if (const std::string records = GRecordsBeside(sidecarPath); !records.empty())
      g = ParseGRecords(ReadBoundedFile(records));
  } else {
    g = ParseGRecords(bytes);
    if (std::filesystem::is_regular_file(mp4Path, ec)) fixes = ReadFreeGps(mp4Path);
  }
  FillFixTrack(fixes, g, lines, track, gpsSeen);
  return DataTypeFixes;
}

// The camera's own names: a 14-digit stamp with the prefix G, H, P or PH or none, and ".MP4".
// Their media data is never scanned for another camera's blocks.
bool IsOwnRecordingName(const std::string& path) {
  const size_t slash = path.rfind('/');
  std::string_view name(path);
  if (slash != std::string::npos) name.remove_prefix(slash + 1);
  size_t at = 0;
  if (name.substr(0, 2) == "PH") at = 2;
  else if (!name.empty() && (name[0] == 'G' || name[0] == 'H' || name[0] == 'P')) at = 1;
  if (name.size() != at + 18) return false;
  for (size_t i = at; i < at + 14; ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  std::string ext(name.substr(at + 14));
  for (char& c : ext) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return ext == ".MP4";
}

}  // namespace

DataType LoadTelemetry(const std::string& mp4Path, const std::string& sidecarPath, Mp4Parser& parser,
                       std::vector<std::string>& lines, TelemetryTrack& track, bool& gpsSeen) {
  std::error_code ec;
  if (!sidecarPath.empty() && std::filesystem::is_regular_file(sidecarPath, ec)) {
    // Only the head of a side-car named like another camera's is looked at here.
    if (OtherSidecarKind(sidecarPath, "$G") != OtherSidecar::None) {
      std::string head(64, '\0');
      std::ifstream in(sidecarPath, std::ios::binary);
      if (!in) throw MP4::BinaryStreamException(1);
      in.read(head.data(), static_cast<std::streamsize>(head.size()));
      head.resize(static_cast<size_t>(in.gcount()));
      if (const OtherSidecar kind = OtherSidecarKind(sidecarPath, head); kind != OtherSidecar::None) {
        std::string bytes = ReadBoundedFile(sidecarPath);
        parser.Reset();
        return LoadOtherSidecar(kind, mp4Path, sidecarPath, bytes, lines, track, gpsSeen);
      }
    }
  }
  TelemetryLoadResult result = LoadTelemetryLines(mp4Path, sidecarPath, parser);
  // A recording with none of the camera's own forms may hold another camera's freeGPS blocks.
  if (result.dataType == DataTypeNone && (sidecarPath.empty() || !std::filesystem::exists(sidecarPath, ec)) &&
      std::filesystem::is_regular_file(mp4Path, ec)) {
    std::vector<GpsFix> fixes = ReadFreeGps(mp4Path, nullptr, !IsOwnRecordingName(mp4Path));
    if (!fixes.empty()) {
      FillFixTrack(fixes, {}, lines, track, gpsSeen);
      return DataTypeFixes;
    }
  }
  lines = std::move(result.lines);
  DecodeByType(result.dataType, lines, track, gpsSeen);
  if (result.dataType != DataTypeNone)
    track.sampleCount = static_cast<int32_t>(std::min<uint64_t>(result.lineCount, INT32_MAX));
  track.dataType = result.dataType;
  return result.dataType;
}

}  // namespace korvane
