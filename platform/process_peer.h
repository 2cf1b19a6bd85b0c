#pragma once
// Facts about another process of this machine, read from /proc: whether it belongs to the
// current user and whether it has a given shared-memory block mapped.
#include <string>
#include <sys/types.h>

namespace korvane::platform {

// True when process `pid` exists, is owned by the current user and has the POSIX shared-memory
// object `objectName` ("/<name>.<uid>") mapped. False when any of it cannot be read.
bool ProcessOfUserMapsBlock(pid_t pid, const std::string& objectName);

} // namespace korvane::platform
