#pragma once
// What tells one file from another on this machine: the device and inode it lives at, its size
// and its last change, read with one stat of its name's bytes.
#include <QByteArray>
#include <QtGlobal>
#include <optional>

namespace korvane {

struct FileIdentity {
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;   // the last modification, in nanoseconds since the epoch
    bool operator==(const FileIdentity&) const = default;
};

// The identity of the regular file at `path` (its bytes; links followed); none for anything
// else or when it cannot be read.
std::optional<FileIdentity> IdentifyFile(const QByteArray& path);

} // namespace korvane
