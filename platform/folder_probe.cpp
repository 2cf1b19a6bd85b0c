#include "platform/folder_probe.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
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

} // namespace korvane
