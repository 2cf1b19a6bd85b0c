#include "platform/bounded_read.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace korvane {

namespace {

BoundedRead Failed(BoundedRead::Status status, const QString& reason)
{
    BoundedRead r;
    r.status = status;
    r.reason = reason;
    return r;
}

QString ErrnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

} // namespace

BoundedRead ReadSmallRegularFile(const QString& path, qint64 maxBytes)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        const int error = errno;
        return Failed(error == ENOENT ? BoundedRead::Status::Missing : BoundedRead::Status::Unreadable,
                      ErrnoText(error));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};

    struct stat st{};
    if (::fstat(fd, &st) != 0)
        return Failed(BoundedRead::Status::Unreadable, ErrnoText(errno));
    if (!S_ISREG(st.st_mode))
        return Failed(BoundedRead::Status::NotRegular, QStringLiteral("not a regular file"));
    if (st.st_size > maxBytes)
        return Failed(BoundedRead::Status::TooLarge, QStringLiteral("%1 bytes, more than %2").arg(st.st_size).arg(maxBytes));

    BoundedRead r;
    r.bytes.resize(static_cast<qsizetype>(maxBytes) + 1);
    qint64 have = 0;
    while (have <= maxBytes) {
        const ssize_t n = ::read(fd, r.bytes.data() + have, static_cast<size_t>(maxBytes + 1 - have));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return Failed(BoundedRead::Status::Unreadable, ErrnoText(errno));
        }
        if (n == 0)
            break;
        have += n;
    }
    if (have > maxBytes)
        return Failed(BoundedRead::Status::TooLarge, QStringLiteral("it grew past %1 bytes while read").arg(maxBytes));
    r.bytes.resize(static_cast<qsizetype>(have));
    r.status = BoundedRead::Status::Ok;
    return r;
}

} // namespace korvane
