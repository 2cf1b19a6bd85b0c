#include "tools/cli/cli_load.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "export/telemetry_text.h"
#include "mp4parse/binary_stream.h"
#include "mp4parse/load_telemetry.h"
#include "mp4parse/nmea_sidecar.h"
#include "tools/cli/cli_commands.h"
#include "tools/cli/mp4_shape.h"

namespace korvane::cli {

size_t LoadedRecording::FilledSamples() const { return korvane::FilledSamples(dataType, lines.size(), *track); }

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
  // A side-car named on the command line must be there and readable; the message names it, not
  // the recording.
  if (!sidecar.empty()) {
    if (!std::filesystem::exists(sidecar, ec)) {
      std::fprintf(stderr, "korvane-cli: %s: File open error (no such side-car file)\n", Printable(sidecar).c_str());
      return ExitNoFile;
    }
    std::ifstream probe(sidecar, std::ios::binary);
    if (!std::filesystem::is_regular_file(sidecar, ec) || !probe) {
      std::fprintf(stderr, "korvane-cli: %s: File open error (side-car file cannot be read)\n",
                   Printable(sidecar).c_str());
      return ExitNoFile;
    }
  }
  Mp4Parser parser;
  bool gpsSeen = false;
  // Another camera's NMEA side-car or acceleration records beside the recording are read with
  // it; the recording itself is still checked below.
  const std::string beside = sidecar.empty() ? FindOtherSidecar(recording) : std::string();
  try {
    out.dataType = LoadTelemetry(recording, sidecar.empty() ? beside : sidecar, parser, out.lines, *out.track, gpsSeen);
  } catch (const MP4::BinaryStreamException& e) {
    std::fprintf(stderr, "korvane-cli: %s: %s\n", Printable(sidecar.empty() ? recording : sidecar).c_str(), e.what());
    return ExitNoFile;
  } catch (const TelemetryConversionError& e) {
    std::fprintf(stderr, "korvane-cli: %s: G pair '%s' is not hexadecimal\n",
                 Printable(sidecar.empty() ? recording : sidecar).c_str(), Printable(e.Pair()).c_str());
    return ExitBadData;
  }
  // Garbage and recordings cut short are bad input, not recordings without telemetry. With a
  // side-car the recording itself is not read, as in the viewer.
  if (sidecar.empty()) {
    if (const std::string problem = Mp4ShapeProblem(recording); !problem.empty()) {
      std::fprintf(stderr, "korvane-cli: %s: %s\n", Printable(recording).c_str(), problem.c_str());
      return ExitBadData;
    }
  }
  return ExitOk;
}

}  // namespace korvane::cli
