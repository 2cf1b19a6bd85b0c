#include "platform/instance_lock.h"

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace korvane {

InstanceLock::~InstanceLock() { Release(); }

bool InstanceLock::Acquire(const std::string& path)
{
    Release();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
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
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime && std::filesystem::is_directory(runtime))
        return std::string(runtime) + "/korvane.lock";
    std::string cache;
    if (const char* xdg = std::getenv("XDG_CACHE_HOME"); xdg && *xdg)
        cache = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        cache = std::string(home) + "/.cache";
    else
        cache = "/tmp";
    std::error_code ec;
    std::filesystem::create_directories(cache, ec);
    return cache + "/korvane.lock";
}

} // namespace korvane
