#pragma once
// Who the process runs as: the one question the browser set-up asks of POSIX.
namespace korvane {

// True when the effective user is root.
bool RunningAsRoot();

} // namespace korvane
