#include "platform/folder_probe.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace korvane {

bool FolderTakesFiles(const QString& folder, qint64 bytes)
{
    if (folder.isEmpty())
        return false;
    std::string path = QFile::encodeName(folder).toStdString() + "/.probe-XXXXXX";
    const int fd = mkstemp(path.data());
    if (fd < 0)
        return false;
    bool ok = posix_fallocate(fd, 0, static_cast<off_t>(bytes)) == 0;
    if (ok) {
        const std::vector<char> zeros(static_cast<size_t>(bytes), 0);
        ok = pwrite(fd, zeros.data(), zeros.size(), 0) == static_cast<ssize_t>(zeros.size()) && fsync(fd) == 0;
    }
    close(fd);
    unlink(path.c_str());
    return ok;
}

bool FolderHasRoomFor(const QString& folder, qint64 bytes)
{
    if (folder.isEmpty())
        return false;
    const QByteArray path = QFile::encodeName(folder);
    struct statvfs fs {};
    if (access(path.constData(), W_OK | X_OK) != 0 || statvfs(path.constData(), &fs) != 0)
        return false;
    if (fs.f_flag & ST_RDONLY)
        return false;
    return static_cast<long double>(fs.f_bavail) * fs.f_frsize >= static_cast<long double>(bytes);
}

} // namespace korvane
