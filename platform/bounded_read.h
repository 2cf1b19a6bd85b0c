#pragma once
// Reads a small file whose path may lie on the card or anywhere the user started from: only a
// regular file is read, never more than a limit, and nothing can block (a FIFO is refused without
// waiting for a writer, a device without reading it).
#include <QByteArray>
#include <QString>

namespace korvane {

struct BoundedRead {
    enum class Status { Ok, Missing, NotRegular, TooLarge, Unreadable };
    Status status = Status::Missing;
    QByteArray bytes;   // the whole file when status is Ok
    QString reason;     // what went wrong, for the log
};

// Opens `path` without blocking, checks with fstat that it is a regular file of at most
// `maxBytes` and reads it; a file that grows past `maxBytes` while it is read counts as too large.
BoundedRead ReadSmallRegularFile(const QString& path, qint64 maxBytes);

} // namespace korvane
