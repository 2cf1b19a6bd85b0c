#include "platform/file_identity.h"

#include <sys/stat.h>

namespace korvane {

std::optional<FileIdentity> IdentifyFile(const QByteArray& path)
{
    struct stat st {};
    if (path.isEmpty() || ::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    FileIdentity id;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.size = qint64(st.st_size);
    id.modifiedNs = qint64(st.st_mtim.tv_sec) * 1000000000 + qint64(st.st_mtim.tv_nsec);
    return id;
}

} // namespace korvane
