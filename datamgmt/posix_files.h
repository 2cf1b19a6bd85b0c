#pragma once
// The file-system calls of the copy and delete jobs, on descriptors of open folders so that a
// name is always looked up in the folder the job opened and never through a symbolic link.
// This is the only file of data management that talks to POSIX.
#include <QString>
#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace korvane::posixfs {

// An owned file descriptor, closed on destruction.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& o) noexcept : fd_(o.fd_) { o.fd_ = -1; }
    Fd& operator=(Fd&& o) noexcept;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd();
    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    int Close();  // 0, or the errno of close()

private:
    int fd_ = -1;
};

std::string Native(const QString& path);
QString ErrorText(int error);  // strerror as a QString

// Opens a folder for lookups; errno in *error on failure.
Fd OpenFolder(const QString& path, int* error);
bool IsFolder(const QString& path);  // follows links: the user's own folder path may be one

enum class EntryType { Missing, File, Folder, Link, Other };
// The type of `name` inside the open folder, without following a link; size of a file in *size.
EntryType TypeAt(int dirFd, const QString& name, std::int64_t* size = nullptr);

// Copies `name` from one open folder to the other through `tempName`, flushes it with fsync,
// then renames it onto `name`. Returns 0 or an errno (ELOOP for a link, EINVAL for anything
// that is not a regular file, ECANCELED when `stop` became true); the temporary file is gone
// on any failure. Adds each block written to `bytesDone`.
int CopyFileAt(int srcDir, int dstDir, const QString& name, const QString& tempName,
               const std::atomic<bool>& stop, std::atomic<std::uint64_t>& bytesDone);
// Flushes a folder's entries (the renames) to the medium.
int SyncFolder(int dirFd);

// Removes `name` from the open folder unless it is a folder; a link is removed itself, never
// what it points to. Returns 0 or an errno (EISDIR for a folder).
int RemoveFileAt(int dirFd, const QString& name);

// Makes a folder (mode 0755 less the umask); 0 or an errno.
int MakeFolder(const QString& path);
// Removes a folder when it is empty; 0 or an errno (ENOTEMPTY when it still holds anything).
int RemoveEmptyFolder(const QString& path);

// Bytes an unprivileged user can still write below `path` (f_bavail × f_frsize).
std::optional<std::uint64_t> AvailableBytes(const QString& path, int* error);

} // namespace korvane::posixfs
