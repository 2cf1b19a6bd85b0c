#include "platform/instance_lock.h"
#include "platform/private_folder.h"

#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string& path)
{
    Release();
    // The holder removes the file when it ends; a lock taken on a file that was removed (or
    // replaced) meanwhile is no lock at all, so it is taken again on the file now there.
    for (int attempt = 0; attempt < 8; ++attempt) {
        int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
        if (fd < 0)
            return false;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            return false;
        }
        struct stat held {}, named {};
        if (::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
            held.st_ino == named.st_ino) {
            fd_ = fd;
            path_ = path;
            return true;
        }
        ::close(fd);
    }
    return false;
}

void InstanceLock::Release()
{
    if (fd_ >= 0) {
        // Removed while still held: a viewer that opens the name meanwhile finds it gone and
        // makes a new one instead of sharing this one's.
        ::unlink(path_.c_str());
        ::flock(fd_, LOCK_UN);
        ::close(fd_);
        fd_ = -1;
        path_.clear();
    }
}

std::string InstanceLock::DefaultPath(const std::string& blockName)
{
    return DefaultPath(blockName, "/tmp");
}

std::string InstanceLock::DefaultPath(const std::string& blockName, const std::string& sharedRoot)
{
    const std::string file =
        (blockName.empty() || blockName.find('/') != std::string::npos || blockName[0] == '.' ? std::string("korvane")
                                                                                               : blockName) + ".lock";
    // A folder named with the uid, checked for owner and mode. When another user holds that
    // name, a fresh private folder keeps this viewer from being stopped by that user.
    const std::string uid = std::to_string(::geteuid());
    const std::string own = sharedRoot + "/korvane-" + uid;
    if (MakePrivateFolder(own))
        return own + "/" + file;
    const std::string fresh = MakeFreshPrivateFolder(sharedRoot, "korvane-" + uid + "-");
    return fresh.empty() ? std::string() : fresh + "/" + file;
}

std::string InstanceLock::SocketPath(const std::string& lockPath)
{
    const std::string suffix = ".lock";
    if (lockPath.size() > suffix.size() && lockPath.compare(lockPath.size() - suffix.size(), suffix.size(), suffix) == 0)
        return lockPath.substr(0, lockPath.size() - suffix.size()) + ".sock";
    return lockPath.empty() ? std::string() : lockPath + ".sock";
}

} // namespace korvane
