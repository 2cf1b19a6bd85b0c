#pragma once
// The evidence around the clip: SHA-256 digests, the manifest that says what was taken from
// which recording, and the checksum list `sha256sum -c` checks.
#include "core/expected.h"
#include "export/export_request.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cstdint>
#include <functional>

namespace korvane {

// SHA-256 of the file at `path` in lower-case hexadecimal, read in blocks; `stopped` is asked
// between blocks (Stopped when it says so).
Expected<QByteArray, ExportError> FileSha256(const QString& path, const std::function<bool()>& stopped);

struct SourceRecord {
    QString path;                 // as given
    QString cardName;             // the file name on the card
    std::uint64_t size = 0;
    QByteArray sha256;
    std::int64_t usedFromUs = 0;  // the part shown in the clip, microseconds into the recording
    std::int64_t usedToUs = 0;
};

// Another channel's clip: which file, the span of the camera clock it shows, and what it took
// from which of that channel's recordings.
struct ChannelRecord {
    QString letter;               // "R", "I", ...
    QString file;                 // "clip_R.MP4"
    QString inCamera, outCamera;  // as the main clip's
    std::int64_t durationUs = 0;
    QList<SourceRecord> sources;
};

struct ManifestInfo {
    QList<SourceRecord> sources;
    QList<ChannelRecord> channels;  // listed under "channels" only when there are any
    QString inCamera, outCamera;    // "YYYY-MM-DDThh:mm:ss.fff" on the camera clock
    std::int64_t durationUs = 0;
    bool haveGpsOffset = false;
    std::int64_t clockMinusGpsUtc = 0;  // seconds
    QString exportedAt;                 // UTC, ISO 8601
    QStringList outputs;                // file names in the export folder
};

QByteArray ManifestJson(const ManifestInfo& info);

// One line per file, "<sha256>  <name>\n"; sources are named by their paths relative to the
// export folder, so that `sha256sum -c` run in it checks them where they are.
QByteArray ChecksumList(const QList<QPair<QString, QByteArray>>& entries);

} // namespace korvane
