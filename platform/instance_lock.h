#pragma once
// The single-instance rule: a per-user lock held for the viewer's whole life. It dies with the
// process, so a crashed viewer never blocks the next start.
#include <string>

namespace korvane {

class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock file at `path` (created 0600 when absent; never through a symbolic link).
    // False when another process holds it, or when the file cannot be opened.
    bool Acquire(const std::string& path);
    void Release();
    bool held() const { return fd_ >= 0; }

    // The lock file of the current user: $XDG_RUNTIME_DIR/korvane.lock when that variable is an
    // absolute path to a private folder, else /tmp/korvane-<uid>/korvane.lock in a private folder
    // (a fresh one when another user holds that name). Empty when no private folder can be made.
    static std::string DefaultPath();
    // The same with `sharedRoot` in place of /tmp.
    static std::string DefaultPath(const std::string& sharedRoot);

private:
    int fd_ = -1;
};

} // namespace korvane
