// korvane-cli telemetry [--sidecar FILE] [--mph] RECORDING: the decoded telemetry as CSV.
#include <cstdio>
#include <string>
#include <vector>

#include "mp4parse/telemetry_events.h"
#include "mp4parse/text_fields.h"
#include "tools/cli/cli_commands.h"
#include "tools/cli/cli_load.h"
#include "tools/cli/cli_text.h"
#include "export/telemetry_text.h"

namespace korvane::cli {

using fields::FormatFixed;

int RunTelemetry(const std::vector<std::string>& args) {
  std::string sidecar;
  std::string recording;
  bool mph = false;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--sidecar" && i + 1 < args.size()) {
      sidecar = args[++i];
    } else if (args[i] == "--mph") {
      mph = true;
    } else if (recording.empty() && !args[i].empty() && args[i][0] != '-') {
      recording = args[i];
    } else {
      std::fprintf(stderr, "korvane-cli: usage: korvane-cli telemetry [--sidecar FILE] [--mph] RECORDING\n");
      return ExitUsage;
    }
  }
  if (recording.empty()) {
    std::fprintf(stderr, "korvane-cli: usage: korvane-cli telemetry [--sidecar FILE] [--mph] RECORDING\n");
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
                    (mph ? " max_speed_mph=" : " max_speed=") + FormatFixed(SpeedInUnit(t.maxSpeed, mph), 4) + " max_g=" + FormatFixed(t.maxG, 4) + "\n";
  out += TelemetryCsvColumns(mph);
  const size_t rows = rec.FilledSamples();
  for (size_t i = 0; i < rows; ++i) out += TelemetryCsvRow(i, t.samples[i], mph);
  std::fwrite(out.data(), 1, out.size(), stdout);
  return FinishOutput() ? ExitOk : ExitNoFile;
}

}  // namespace korvane::cli
