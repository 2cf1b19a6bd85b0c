#include "platform/shared_memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane::platform {

std::string SharedMemoryObjectName(const std::string& name)
{
    return "/" + name + "." + std::to_string(static_cast<unsigned long>(getuid()));
}

int OpenSharedMemory(const std::string& name, std::size_t size, bool create)
{
    const std::string object = SharedMemoryObjectName(name);
    int fd = shm_open(object.c_str(), O_RDWR | (create ? O_CREAT : 0) | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_uid != getuid()) {
        // Someone else's object under our name: never share a block with another user.
        close(fd);
        return -1;
    }
    if ((st.st_mode & 07777) != 0600 && !create) {
        // Only the viewer that creates the block may replace it.
        close(fd);
        return -1;
    }
    if ((st.st_mode & 07777) != 0600) {
        // Our own block with wider rights: another user may hold it open already, so it is not
        // narrowed but replaced by a fresh one that only this user can open.
        close(fd);
        shm_unlink(object.c_str());
        fd = shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            return -1;
        if (fchmod(fd, 0600) != 0 || fstat(fd, &st) != 0 || st.st_uid != getuid()) {
            close(fd);
            return -1;
        }
    }
    // A new object has size 0; ftruncate zero-fills it. An existing block keeps its contents.
    if (static_cast<std::size_t>(st.st_size) < size && ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

int CreateFreshSharedMemory(const std::string& name, std::size_t size)
{
    const std::string object = SharedMemoryObjectName(name);
    const int fd = shm_open(object.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return -1;
    struct stat st {};
    if (fchmod(fd, 0600) != 0 || fstat(fd, &st) != 0 || st.st_uid != getuid() ||
        ftruncate(fd, static_cast<off_t>(size)) != 0) {
        close(fd);
        shm_unlink(object.c_str());
        return -1;
    }
    return fd;
}

void* MapSharedMemory(int fd, std::size_t size)
{
    if (fd < 0)
        return nullptr;
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    return p == MAP_FAILED ? nullptr : p;
}

void CloseSharedMemory(int fd)
{
    if (fd >= 0)
        close(fd);
}

void RemoveSharedMemory(const std::string& name)
{
    shm_unlink(SharedMemoryObjectName(name).c_str());
}

} // namespace korvane::platform
