#include "tools/cli/cli_load.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "mp4parse/binary_stream.h"
#include "mp4parse/load_telemetry.h"
#include "tools/cli/cli_commands.h"

namespace korvane::cli {

size_t LoadedRecording::FilledSamples() const {
  const size_t n = lines.size();
  switch (dataType) {
    case DataTypeSubtitle: return std::min(n, TrackCapacity);
    case DataTypeGps:
    case DataTypeDollar: return std::min((n + GValueCount - 1) / GValueCount * GValueCount, TrackCapacity);
    case DataTypeNone: break;
  }
  return 0;
}

std::string Printable(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c >= 0x20 && c != 0x7F) {
      out += static_cast<char>(c);
    } else {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\x%02X", c);
      out += buf;
    }
  }
  return out;
}

int LoadRecording(const std::string& recording, const std::string& sidecar, LoadedRecording& out) {
  std::error_code ec;
  if (!std::filesystem::exists(recording, ec)) {
    std::fprintf(stderr, "korvane-cli: %s: File open error (no such file)\n", Printable(recording).c_str());
    return ExitNoFile;
  }
  Mp4Parser parser;
  bool gpsSeen = false;
  try {
    out.dataType = LoadTelemetry(recording, sidecar, parser, out.lines, *out.track, gpsSeen);
  } catch (const MP4::BinaryStreamException& e) {
    std::fprintf(stderr, "korvane-cli: %s: %s\n", Printable(recording).c_str(), e.what());
    return ExitNoFile;
  } catch (const TelemetryConversionError& e) {
    std::fprintf(stderr, "korvane-cli: %s: G pair '%s' is not hexadecimal\n",
                 Printable(recording).c_str(), Printable(e.Pair()).c_str());
    return ExitBadData;
  }
  return ExitOk;
}

}  // namespace korvane::cli
