// korvane-cli SUBCOMMAND ARGS...
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/cli/cli_commands.h"

namespace {

using korvane::cli::CliCommand;

const CliCommand kCommands[] = {
    {"telemetry", "[--sidecar FILE] RECORDING", korvane::cli::RunTelemetry},
    {"gpx", "RECORDING...", korvane::cli::RunGpx},
    {"scan", "FOLDER", korvane::cli::RunScan},
};

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage:\n");
  for (const CliCommand& c : kCommands) std::fprintf(out, "  korvane-cli %s %s\n", c.name, c.usage);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return korvane::cli::ExitUsage;
  }
  if (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h")) {
    PrintUsage(stdout);
    return korvane::cli::ExitOk;
  }
  for (const CliCommand& c : kCommands) {
    if (std::strcmp(argv[1], c.name) == 0) return c.run(std::vector<std::string>(argv + 2, argv + argc));
  }
  std::fprintf(stderr, "korvane-cli: unknown subcommand '%s'\n", argv[1]);
  PrintUsage(stderr);
  return korvane::cli::ExitUsage;
}
