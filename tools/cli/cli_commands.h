// The subcommands of korvane-cli.
//
// Adding a subcommand:
//  1. write cmd_<name>.cpp in this folder with `int Run<Name>(const std::vector<std::string>& args)`
//     (args are the words after the subcommand name; print results to stdout, one-line errors
//     to stderr prefixed with "korvane-cli: ", return the exit status);
//  2. declare it below;
//  3. add a row to kCommands in main.cpp;
//  4. when it needs Qt (or another large library), list the file in qt_commands in CMakeLists.txt,
//     add a helper executable korvane-cli-<name> like korvane-cli-scan, and give the row
//     run = nullptr: korvane-cli then starts the helper in its place (same arguments, output and
//     exit status), so the other subcommands keep starting without loading Qt.
#pragma once

#include <string>
#include <vector>

namespace korvane::cli {

using CommandFn = int (*)(const std::vector<std::string>& args);

struct CliCommand {
  const char* name;
  const char* usage;  // the arguments, e.g. "[--sidecar FILE] RECORDING"
  CommandFn run;      // nullptr: run by the helper executable korvane-cli-<name>
};

inline constexpr int ExitOk = 0;
inline constexpr int ExitBadData = 1;   // the recording's telemetry cannot be decoded
inline constexpr int ExitNoFile = 2;    // a file is missing or cannot be opened
inline constexpr int ExitUsage = 64;    // wrong arguments
inline constexpr int ExitNoHelper = 70; // a helper executable could not be started

int RunTelemetry(const std::vector<std::string>& args);
int RunGpx(const std::vector<std::string>& args);
int RunScan(const std::vector<std::string>& args);
int RunRepair(const std::vector<std::string>& args);
int RunBackup(const std::vector<std::string>& args);  // its own exit statuses, see cmd_backup.cpp
int RunChart(const std::vector<std::string>& args);
int RunTexts(const std::vector<std::string>& args);
int RunEvents(const std::vector<std::string>& args);
int RunExport(const std::vector<std::string>& args);

}  // namespace korvane::cli
