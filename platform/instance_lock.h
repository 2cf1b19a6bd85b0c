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
    // Lets go of the lock and removes its file.
    void Release();
    bool held() const { return fd_ >= 0; }

    // The lock file of this user's viewer that uses the control block `blockName`:
    // /tmp/korvane-<uid>/<blockName>.lock in a private folder (a fresh one when another user holds
    // that name). It follows the user id and the block's name, as the block itself does, and no
    // session variable: every session of one user finds the same lock, so a second viewer never
    // shares the first one's block. Empty when no private folder can be made.
    static std::string DefaultPath(const std::string& blockName);
    // The same with `sharedRoot` in place of /tmp.
    static std::string DefaultPath(const std::string& blockName, const std::string& sharedRoot);
    // Where the viewer that holds the lock at `lockPath` listens for folders handed to it: the
    // same private folder, "<name>.sock".
    static std::string SocketPath(const std::string& lockPath);

private:
    int fd_ = -1;
    std::string path_;
};

} // namespace korvane
