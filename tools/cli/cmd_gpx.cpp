// korvane-cli gpx RECORDING...: one GPX 1.1 document with a track per recording.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tools/cli/cli_commands.h"
#include "tools/cli/cli_load.h"
#include "tools/cli/cli_text.h"
#include "export/telemetry_text.h"

namespace korvane::cli {

int RunGpx(const std::vector<std::string>& args) {
  if (args.empty()) {
    std::fprintf(stderr, "korvane-cli: usage: korvane-cli gpx RECORDING...\n");
    return ExitUsage;
  }
  std::string out = GpxDocumentStart();
  for (const std::string& recording : args) {
    LoadedRecording rec;
    if (const int status = LoadRecording(recording, "", rec); status != ExitOk) return status;
    out += GpxTrack(std::filesystem::path(recording).filename().string(), rec.track->samples.data(),
                    rec.FilledSamples(), rec.lines, rec.dataType);
  }
  out += GpxDocumentEnd();
  std::fwrite(out.data(), 1, out.size(), stdout);
  return FinishOutput() ? ExitOk : ExitNoFile;
}

}  // namespace korvane::cli
