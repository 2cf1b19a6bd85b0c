// korvane-cli telemetry [--sidecar FILE] RECORDING: the decoded telemetry as CSV.
#include <cstdio>
#include <string>
#include <vector>

#include "mp4parse/text_fields.h"
#include "tools/cli/cli_commands.h"
#include "tools/cli/cli_load.h"
#include "tools/cli/cli_text.h"

namespace korvane::cli {

namespace {

using fields::FormatFixed;

// RFC 4180: a field holding a comma, a quote or a line break is quoted, quotes doubled.
std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
}

}  // namespace

int RunTelemetry(const std::vector<std::string>& args) {
  std::string sidecar;
  std::string recording;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--sidecar" && i + 1 < args.size()) {
      sidecar = args[++i];
    } else if (recording.empty() && !args[i].empty() && args[i] != "--sidecar") {
      recording = args[i];
    } else {
      std::fprintf(stderr, "korvane-cli: usage: korvane-cli telemetry [--sidecar FILE] RECORDING\n");
      return ExitUsage;
    }
  }
  if (recording.empty()) {
    std::fprintf(stderr, "korvane-cli: usage: korvane-cli telemetry [--sidecar FILE] RECORDING\n");
    return ExitUsage;
  }
  LoadedRecording rec;
  if (const int status = LoadRecording(recording, sidecar, rec); status != ExitOk) return status;

  const TelemetryTrack& t = *rec.track;
  std::string out = "# data_type=" + std::to_string(static_cast<int>(rec.dataType)) +
                    " lines=" + std::to_string(t.sampleCount) +
                    " samples=" + std::to_string(t.sampleCount) +
                    " valid=" + std::to_string(t.validCount) +
                    " speeds=" + std::to_string(t.speedCount) +
                    " max_speed=" + FormatFixed(t.maxSpeed, 4) + " max_g=" + FormatFixed(t.maxG, 4) + "\n";
  out += "index,fix,latitude,longitude,speed_kmh,g,g_text,date_time\n";
  const size_t rows = rec.FilledSamples();
  for (size_t i = 0; i < rows; ++i) {
    const TelemetrySample& s = t.samples[i];
    out += std::to_string(i) + ',' + (s.fixValid ? '1' : '0') + ',' + FormatFixed(s.latitude, 7) + ',' +
           FormatFixed(s.longitude, 7) + ',' + (s.speedKmh == NoSpeed ? std::string() : FormatFixed(s.speedKmh, 4)) + ',' +
           FormatFixed(s.gForce, 4) + ',' + CsvField(EscapeName(s.gText)) + ',' + CsvField(EscapeName(s.dateTime)) + '\n';
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return FinishOutput() ? ExitOk : ExitNoFile;
}

}  // namespace korvane::cli
