#pragma once
// SIGINT and SIGTERM of a command-line tool: `onStop` runs in the signal handler and may only
// set an atomic flag (a stop request the running job checks).
namespace korvane::platform {

void InstallStopSignalHandler(void (*onStop)(int));

} // namespace korvane::platform
