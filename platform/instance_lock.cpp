#include "platform/instance_lock.h"
#include "platform/private_folder.h"

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <unistd.h>

namespace korvane {

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string& path)
{
    Release();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    return true;
}

void InstanceLock::Release()
{
    if (fd_ >= 0) {
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
    }
}

std::string InstanceLock::DefaultPath()
{
    return DefaultPath("/tmp");
}

std::string InstanceLock::DefaultPath(const std::string& sharedRoot)
{
    // The runtime folder is the user's own by definition; a relative or foreign one is ignored.
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (IsAbsolutePath(runtime) && IsPrivateFolder(runtime))
        return std::string(runtime) + "/korvane.lock";
    // Else a folder named with the uid, checked for owner and mode. When another user holds
    // that name, a fresh private folder keeps this viewer from being stopped by that user.
    const std::string uid = std::to_string(::geteuid());
    const std::string own = sharedRoot + "/korvane-" + uid;
    if (MakePrivateFolder(own))
        return own + "/korvane.lock";
    const std::string fresh = MakeFreshPrivateFolder(sharedRoot, "korvane-" + uid + "-");
    return fresh.empty() ? std::string() : fresh + "/korvane.lock";
}

} // namespace korvane
