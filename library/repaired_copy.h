#pragma once
// A repaired copy belongs to the one cut recording it was made from. Its side record
// "<copy>.source" in the working folder holds that recording's identity: device, inode, size,
// last modification and a SHA-256 of its first and last MiB. A copy is used only while the
// recording on the card still has that identity; another card's recording of the same name, or
// the same name written anew, gets the repair question instead of somebody else's copy.
#include <QByteArray>
#include <QString>
#include <optional>

#include "platform/file_identity.h"

namespace korvane {

struct SourceFingerprint {
    FileIdentity file;
    QByteArray headTailSha256;   // hex
    bool operator==(const SourceFingerprint&) const = default;
};

// The fingerprint of the recording at `path`; none when it is no readable regular file.
std::optional<SourceFingerprint> FingerprintOf(const QString& path);

QString SourceRecordPath(const QString& repairedPath);

// Writes the side record of `repairedPath` (a temporary name, then a rename).
bool WriteSourceRecord(const QString& repairedPath, const SourceFingerprint& source);
// The recorded source of `repairedPath`; none when the record is missing or not one of ours.
std::optional<SourceFingerprint> ReadSourceRecord(const QString& repairedPath);
void RemoveSourceRecord(const QString& repairedPath);

// Whether `repairedPath` is a regular file made from the recording now at `sourcePath`.
bool RepairedCopyBelongsTo(const QString& repairedPath, const QString& sourcePath);

} // namespace korvane
