// korvane-cli events [--g G] [--brake KMH_PER_S] [--pre-event S] RECORDING...: the events the
// viewer marks (G spikes, hard brakings, an event recording's trigger) as CSV.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "mp4parse/telemetry_events.h"
#include "mp4parse/text_fields.h"
#include "tools/cli/cli_commands.h"
#include "tools/cli/cli_load.h"
#include "tools/cli/cli_text.h"

namespace korvane::cli {

namespace {

constexpr const char* kUsage =
    "korvane-cli: usage: korvane-cli events [--g G] [--brake KMH_PER_S] [--pre-event S] RECORDING...\n";

// A threshold: a finite number from `low` to `high`.
bool ParseNumber(const std::string& text, double low, double high, double& out) {
  if (text.empty()) return false;
  char* end = nullptr;
  const double v = std::strtod(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v) || v < low || v > high) return false;
  out = v;
  return true;
}

std::string Value(const TelemetryEvent& e) {
  return fields::FormatFixed(e.value, e.kind == EventKind::HardBraking ? 1 : 2);
}

}  // namespace

int RunEvents(const std::vector<std::string>& args) {
  EventThresholds thresholds;
  std::vector<std::string> recordings;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    const bool hasValue = i + 1 < args.size();
    if ((a == "--g" || a == "--brake" || a == "--pre-event") && hasValue) {
      double* target = a == "--g" ? &thresholds.gForce
                       : a == "--brake" ? &thresholds.brakingKmhPerS
                                        : &thresholds.preEventSeconds;
      const double high = a == "--g" ? 20.0 : a == "--brake" ? 500.0 : 90.0;
      if (!ParseNumber(args[++i], 0.0, high, *target)) {
        std::fprintf(stderr, "korvane-cli: %s needs a number from 0 to %g, not '%s'\n", a.c_str(), high,
                     Printable(args[i]).c_str());
        return ExitUsage;
      }
    } else if (!a.empty() && a[0] != '-') {
      recordings.push_back(a);
    } else {
      std::fputs(kUsage, stderr);
      return ExitUsage;
    }
  }
  if (recordings.empty()) {
    std::fputs(kUsage, stderr);
    return ExitUsage;
  }
  std::string out = "recording,time,kind,value\n";
  for (const std::string& recording : recordings) {
    LoadedRecording rec;
    if (const int status = LoadRecording(recording, "", rec); status != ExitOk) return status;
    const TelemetryTrack& t = *rec.track;
    const bool eventRecording = IsEventRecordingName(std::filesystem::path(recording).filename().string());
    for (const TelemetryEvent& e : DetectEvents(t, t.sampleCount, thresholds, eventRecording)) {
      std::string time = CameraClockAt(t, t.sampleCount, e.sample);
      // Without a clock in the recording: seconds from its start.
      if (time.empty()) time = "+" + fields::FormatFixed(e.sample / 10.0, 1);
      out += CsvField(EscapeName(recording)) + ',' + time + ',' + EventKindName(e.kind) + ',' + Value(e) + '\n';
    }
  }
  std::fwrite(out.data(), 1, out.size(), stdout);
  return FinishOutput() ? ExitOk : ExitNoFile;
}

}  // namespace korvane::cli
