#pragma once
// Processes this process starts and looks after: the viewer's playback kernels. Every child is
// reaped by a waiter thread of its own, so none is ever left as a zombie, and only children this
// process started can be ended through here (by pid, never by name).
#include <string>
#include <sys/types.h>
#include <vector>

namespace korvane::platform {

// The running executable's own path ("/proc/self/exe" resolved).
std::string OwnExecutablePath();

// Starts `executable` with argv = {executable, args...} in `workingFolder` (inherits the
// environment). Returns the pid, or -1 when it could not be started.
pid_t SpawnChild(const std::string& executable, const std::vector<std::string>& args,
                 const std::string& workingFolder);

// True while a child started by SpawnChild has not ended.
bool ChildRunning(pid_t pid);
// Children started by SpawnChild that have not ended yet.
std::vector<pid_t> RunningChildren();
// Sends SIGTERM (or SIGKILL when `hard`) to a running child of ours; other pids are ignored.
bool EndChild(pid_t pid, bool hard = false);
// Waits up to `timeoutMs` for a child of ours to end; true when it has ended.
bool WaitChildEnded(pid_t pid, int timeoutMs);
// A descriptor that turns readable once the child has ended and been reaped (ChildRunning is
// false by then), for an event loop to watch; -1 when `pid` is no running child of ours. The
// caller gives it back with UnwatchChildEnd.
int WatchChildEnd(pid_t pid);
void UnwatchChildEnd(pid_t pid, int fd);

// True when a process with this pid exists and is not a zombie.
bool ProcessExists(pid_t pid);
pid_t OwnProcessId();
pid_t ParentProcessId();

// Asks the kernel to send `signal` to this process when its parent thread ends.
bool EndWithParent(int signal);

// Ends this process at once, without running destructors or handlers.
[[noreturn]] void ExitProcessNow(int code);

} // namespace korvane::platform
