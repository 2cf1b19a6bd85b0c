#pragma once
// Whether a folder takes new files: a full disk, a read-only mount or a folder without write
// rights all answer no, before anything that needs the space is started.
#include <QString>

namespace korvane {

// Makes, fills with `bytes` (space reserved with posix_fallocate, then written) and removes a
// probe file of its own in `folder`; true when all of it succeeded.
bool FolderTakesFiles(const QString& folder, qint64 bytes);

// Answers without writing anything: true when `folder` is writable by this user, lies on a
// filesystem that is not read-only and has at least `bytes` free for unprivileged users.
bool FolderHasRoomFor(const QString& folder, qint64 bytes);

} // namespace korvane
