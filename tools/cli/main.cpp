// korvane-cli SUBCOMMAND ARGS...
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "tools/cli/cli_commands.h"

namespace {

using korvane::cli::CliCommand;

const CliCommand kCommands[] = {
    {"telemetry", "[--sidecar FILE] [--mph] RECORDING", korvane::cli::RunTelemetry},
    {"gpx", "RECORDING...", korvane::cli::RunGpx},
    {"events", "[--g G] [--brake KMH_PER_S] [--pre-event S] RECORDING...", korvane::cli::RunEvents},
    {"scan", "FOLDER", nullptr},  // korvane-cli-scan (Qt)
    {"repair", "[--reference FILE] [-o OUTPUT] DAMAGED", nullptr},  // korvane-cli-repair (libavcodec)
    {"backup", "[--replace] CARD_FOLDER DEST_FOLDER", nullptr},  // korvane-cli-backup (Qt Core)
    {"chart", "[--sidecar FILE] [--duration-ms N] [--mph] --width W --height H -o FILE.png RECORDING", nullptr},  // korvane-cli-chart (QtGui)
    {"texts", "[--ini FILE] [--lang 0xNNN]", nullptr},  // korvane-cli-texts (Qt)
    {"export", "[--overlay] [--from TIME] [--to TIME] -o DEST RECORDING...", nullptr},  // korvane-cli-export (Qt Core, libavformat)
};

void PrintUsage(FILE* out) {
  std::fprintf(out, "usage:\n");
  for (const CliCommand& c : kCommands) std::fprintf(out, "  korvane-cli %s %s\n", c.name, c.usage);
}

// Replaces this process by the helper executable beside it; returns only on failure.
int RunHelper(const char* name, int argc, char** argv) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  const std::string helper = (self.parent_path() / (std::string("korvane-cli-") + name)).string();
  std::vector<char*> args = {const_cast<char*>(helper.c_str())};
  for (int i = 2; i < argc; ++i) args.push_back(argv[i]);
  args.push_back(nullptr);
  execv(helper.c_str(), args.data());
  std::fprintf(stderr, "korvane-cli: cannot start %s: %s\n", helper.c_str(), std::strerror(errno));
  return korvane::cli::ExitNoHelper;
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
    if (std::strcmp(argv[1], c.name) != 0) continue;
    if (!c.run) return RunHelper(c.name, argc, argv);
    try {
      return c.run(std::vector<std::string>(argv + 2, argv + argc));
    } catch (const std::bad_alloc&) {
      std::fprintf(stderr, "korvane-cli: %s: out of memory\n", c.name);
      return korvane::cli::ExitBadData;
    }
  }
  std::fprintf(stderr, "korvane-cli: unknown subcommand '%s'\n", argv[1]);
  PrintUsage(stderr);
  return korvane::cli::ExitUsage;
}
