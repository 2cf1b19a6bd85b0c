#include "datamgmt/posix_files.h"

#include "platform/file_name_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <vector>

namespace korvane::posixfs {
namespace {

constexpr std::size_t kBlock = 8u << 20;  // bytes per copy step; the stop is checked between
constexpr int kWriteBehind = 4;           // blocks allowed to be in flight to the medium

int RetryClose(int fd)
{
    return ::close(fd) == 0 ? 0 : errno;
}

// Moves one block with copy_file_range, or read/write where the kernel cannot; returns the bytes
// moved (0 at the end of the source) or -errno.
ssize_t CopyBlock(int src, int dst, bool& useRange, std::vector<char>& buffer)
{
    if (useRange) {
        const ssize_t n = ::copy_file_range(src, nullptr, dst, nullptr, kBlock, 0);
        if (n >= 0)
            return n;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return -errno;
        useRange = false;
    }
    if (buffer.empty())
        buffer.resize(1u << 20);
    ssize_t total = 0;
    while (total < ssize_t(kBlock)) {
        const ssize_t got = ::read(src, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -errno;
        if (got == 0)
            break;
        for (ssize_t off = 0; off < got;) {
            const ssize_t put = ::write(dst, buffer.data() + off, std::size_t(got - off));
            if (put < 0 && errno == EINTR)
                continue;
            if (put < 0)
                return -errno;
            off += put;
        }
        total += got;
    }
    return total;
}

} // namespace

Fd& Fd::operator=(Fd&& o) noexcept
{
    if (this != &o) {
        Close();
        fd_ = o.fd_;
        o.fd_ = -1;
    }
    return *this;
}

Fd::~Fd()
{
    Close();
}

int Fd::Close()
{
    if (fd_ < 0)
        return 0;
    const int r = RetryClose(fd_);
    fd_ = -1;
    return r;
}

std::string Native(const QString& path)
{
    // Names are kept as bytes: a stray byte of a name that is not UTF-8 goes back as that byte.
    return EncodeFileNameBytes(path).toStdString();
}

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

Fd OpenFolder(const QString& path, int* error)
{
    const int fd = ::open(Native(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0 && error)
        *error = errno;
    return Fd(fd);
}

bool IsFolder(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(Native(path).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

EntryType TypeAt(int dirFd, const QString& name, std::int64_t* size)
{
    struct stat st {};
    if (::fstatat(dirFd, Native(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return EntryType::Missing;
    if (S_ISREG(st.st_mode)) {
        if (size)
            *size = std::int64_t(st.st_size);
        return EntryType::File;
    }
    if (S_ISDIR(st.st_mode))
        return EntryType::Folder;
    if (S_ISLNK(st.st_mode))
        return EntryType::Link;
    return EntryType::Other;
}

int CopyFileAt(int srcDir, int dstDir, const QString& name, const QString& tempName,
               const std::atomic<bool>& stop, std::atomic<std::uint64_t>& bytesDone)
{
    const std::string srcName = Native(name);
    const std::string tmpName = Native(tempName);
    Fd src(::openat(srcDir, srcName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (!src.valid())
        return errno;
    struct stat st {};
    if (::fstat(src.get(), &st) != 0)
        return errno;
    if (!S_ISREG(st.st_mode))
        return EINVAL;
    ::posix_fadvise(src.get(), 0, 0, POSIX_FADV_SEQUENTIAL);

    ::unlinkat(dstDir, tmpName.c_str(), 0);  // left over from a copy that was killed
    Fd dst(::openat(dstDir, tmpName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!dst.valid())
        return errno;
    auto fail = [&](int error) {
        dst.Close();
        ::unlinkat(dstDir, tmpName.c_str(), 0);
        return error;
    };

    bool useRange = true;
    std::vector<char> buffer;
    std::vector<std::pair<off_t, off_t>> inFlight;  // blocks handed to the medium, oldest first
    off_t offset = 0;
    for (;;) {
        if (stop.load())
            return fail(ECANCELED);
        const ssize_t n = CopyBlock(src.get(), dst.get(), useRange, buffer);
        if (n < 0)
            return fail(int(-n));
        if (n == 0)
            break;
        // Start writing this block out now and wait for an older one, so that little unwritten
        // data piles up and the final flush is short.
        ::sync_file_range(dst.get(), offset, n, SYNC_FILE_RANGE_WRITE);
        inFlight.emplace_back(offset, n);
        if (int(inFlight.size()) > kWriteBehind) {
            const auto [o, l] = inFlight.front();
            inFlight.erase(inFlight.begin());
            ::sync_file_range(dst.get(), o, l,
                              SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER);
        }
        offset += n;
        bytesDone += std::uint64_t(n);
    }
    if (stop.load())
        return fail(ECANCELED);
    if (::fsync(dst.get()) != 0)
        return fail(errno);
    if (const int e = dst.Close())
        return fail(e);
    if (::renameat(dstDir, tmpName.c_str(), dstDir, srcName.c_str()) != 0)
        return fail(errno);
    return 0;
}

int SyncFolder(int dirFd)
{
    return ::fsync(dirFd) == 0 ? 0 : errno;
}

int RemoveFileAt(int dirFd, const QString& name)
{
    const std::string n = Native(name);
    struct stat st {};
    if (::fstatat(dirFd, n.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return EISDIR;
    return ::unlinkat(dirFd, n.c_str(), 0) == 0 ? 0 : errno;
}

int MakeFolder(const QString& path)
{
    return ::mkdir(Native(path).c_str(), 0755) == 0 ? 0 : errno;
}

int RemoveEmptyFolder(const QString& path)
{
    return ::rmdir(Native(path).c_str()) == 0 ? 0 : errno;
}

std::optional<std::uint64_t> AvailableBytes(const QString& path, int* error)
{
    struct statvfs vfs {};
    if (::statvfs(Native(path).c_str(), &vfs) != 0) {
        if (error)
            *error = errno;
        return std::nullopt;
    }
    return std::uint64_t(vfs.f_bavail) * std::uint64_t(vfs.f_frsize);
}

} // namespace korvane::posixfs
