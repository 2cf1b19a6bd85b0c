// korvane-cli repair [--reference FILE] [-o OUTPUT] DAMAGED: rebuilds a recording cut by power
// loss after a healthy recording of the same camera. Prints
//   video=N audio=M text=T bytes=B of=TOTAL
// and the path of the repaired file. The output goes, unless -o names it, to the viewer's working
// folder (<XDG cache home>/KorvaneData), never beside the damaged recording on the card.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "mp4repair/repair.h"
#include "tools/cli/cli_commands.h"
#include "tools/cli/cli_text.h"

namespace korvane::cli {

namespace {

// "<XDG cache home>/KorvaneData", created when needed; empty when there is no home.
std::string WorkingFolder() {
  std::string cache;
  if (const char* x = std::getenv("XDG_CACHE_HOME"); x && *x == '/') {
    cache = x;
  } else if (const char* h = std::getenv("HOME"); h && *h) {
    cache = std::string(h) + "/.cache";
  }
  if (cache.empty()) return {};
  namespace fs = std::filesystem;
  const std::string folder = cache + "/KorvaneData";
  std::error_code ec;
  fs::create_directories(cache, ec);
  fs::create_directory(folder, ec);
  // The folder is the user's alone, wherever it is made: a real directory with no rights for others.
  if (!fs::is_directory(fs::symlink_status(folder, ec))) return {};
  fs::permissions(folder, fs::perms::owner_all, fs::perm_options::replace, ec);
  return ec ? std::string() : folder;
}

int Usage() {
  std::fprintf(stderr, "korvane-cli: usage: korvane-cli repair [--reference FILE] [-o OUTPUT] DAMAGED\n");
  return ExitUsage;
}

}  // namespace

int RunRepair(const std::vector<std::string>& args) {
  repair::RepairRequest request;
  for (size_t i = 0; i < args.size(); ++i) {
    if ((args[i] == "--reference" || args[i] == "-o") && i + 1 < args.size() && !args[i + 1].empty()) {
      (args[i] == "-o" ? request.output : request.reference) = args[i + 1];
      ++i;
    } else if (request.damaged.empty() && !args[i].empty() && args[i][0] != '-') {
      request.damaged = args[i];
    } else {
      return Usage();
    }
  }
  if (request.damaged.empty()) return Usage();
  if (request.output.empty()) {
    const std::string folder = WorkingFolder();
    if (folder.empty()) {
      std::fprintf(stderr, "korvane-cli: no working folder for the repaired file; name it with -o\n");
      return ExitNoFile;
    }
    request.output = folder + "/" + repair::RepairedName(request.damaged);
  }
  const repair::RepairResult r = repair::RepairRecording(request);
  // The messages name the damaged file, the reference and the output as given: escaped as scan
  // prints names, so that each message stays on its one line whatever the names hold.
  const std::string message = EscapeName(r.message);
  if (!r.ok()) {
    std::fprintf(stderr, "korvane-cli: %s\n", message.c_str());
    return r.status == repair::RepairStatus::Unreadable || r.status == repair::RepairStatus::WriteFailed
               ? ExitNoFile
               : ExitBadData;
  }
  std::printf("video=%llu audio=%llu text=%llu bytes=%llu of=%llu\n", (unsigned long long)r.video,
              (unsigned long long)r.audio, (unsigned long long)r.text, (unsigned long long)r.coveredBytes,
              (unsigned long long)r.totalBytes);
  std::printf("%s\n", EscapeName(r.output).c_str());  // as scan prints names: one line whatever it holds
  if (!message.empty()) std::fprintf(stderr, "korvane-cli: %s\n", message.c_str());
  return ExitOk;
}

}  // namespace korvane::cli
