#include "library/repaired_copy.h"

#include <QCryptographicHash>
#include <QFile>
#include <QSaveFile>

#include "library/library_log.h"
#include "platform/file_name_bytes.h"

namespace korvane {
namespace {

constexpr qint64 kEdgeBytes = qint64(1) << 20;
constexpr qint64 kRecordLimit = 4096;
const QByteArray kMagic = "korvane-repaired-source 1";

bool HashRange(QFile& file, qint64 from, qint64 length, QCryptographicHash& hash)
{
    if (!file.seek(from))
        return false;
    QByteArray buffer;
    while (length > 0) {
        buffer = file.read(qMin<qint64>(length, 256 * 1024));
        if (buffer.isEmpty())
            return false;
        hash.addData(buffer);
        length -= buffer.size();
    }
    return true;
}

} // namespace

std::optional<SourceFingerprint> FingerprintOf(const QString& path)
{
    const QByteArray bytes = EncodeFileNameBytes(path);
    const std::optional<FileIdentity> id = IdentifyFile(bytes);
    if (!id)
        return std::nullopt;
    QFile file(DecodeFileNameBytes(bytes));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const qint64 head = qMin(id->size, kEdgeBytes);
    const qint64 tailFrom = qMax(head, id->size - kEdgeBytes);
    if (!HashRange(file, 0, head, hash) || !HashRange(file, tailFrom, id->size - tailFrom, hash))
        return std::nullopt;
    // A file that changed while it was read is not the one that was stat'ed.
    if (IdentifyFile(bytes) != id)
        return std::nullopt;
    return SourceFingerprint{*id, hash.result().toHex()};
}

QString SourceRecordPath(const QString& repairedPath) { return repairedPath + QStringLiteral(".source"); }

bool WriteSourceRecord(const QString& repairedPath, const SourceFingerprint& source)
{
    QSaveFile file(SourceRecordPath(repairedPath));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray text = kMagic + '\n';
    text += "device " + QByteArray::number(source.file.device) + '\n';
    text += "inode " + QByteArray::number(source.file.inode) + '\n';
    text += "size " + QByteArray::number(source.file.size) + '\n';
    text += "modified_ns " + QByteArray::number(source.file.modifiedNs) + '\n';
    text += "head_tail_sha256 " + source.headTailSha256 + '\n';
    file.write(text);
    return file.commit();
}

std::optional<SourceFingerprint> ReadSourceRecord(const QString& repairedPath)
{
    QFile file(SourceRecordPath(repairedPath));
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QList<QByteArray> lines = file.read(kRecordLimit).split('\n');
    if (lines.size() < 6 || lines.at(0) != kMagic)
        return std::nullopt;
    SourceFingerprint source;
    bool ok = true;
    auto field = [&](int i, const char* key) -> QByteArray {
        const QByteArray prefix = QByteArray(key) + ' ';
        if (!lines.at(i).startsWith(prefix)) {
            ok = false;
            return {};
        }
        return lines.at(i).mid(prefix.size());
    };
    bool n1 = false, n2 = false, n3 = false, n4 = false;
    source.file.device = field(1, "device").toULongLong(&n1);
    source.file.inode = field(2, "inode").toULongLong(&n2);
    source.file.size = field(3, "size").toLongLong(&n3);
    source.file.modifiedNs = field(4, "modified_ns").toLongLong(&n4);
    source.headTailSha256 = field(5, "head_tail_sha256");
    if (!ok || !n1 || !n2 || !n3 || !n4 || source.headTailSha256.size() != 64)
        return std::nullopt;
    return source;
}

void RemoveSourceRecord(const QString& repairedPath) { QFile::remove(SourceRecordPath(repairedPath)); }

bool RepairedCopyBelongsTo(const QString& repairedPath, const QString& sourcePath)
{
    if (!IsRegularFileName(repairedPath))
        return false;
    const std::optional<SourceFingerprint> recorded = ReadSourceRecord(repairedPath);
    if (!recorded) {
        qCInfo(lcLibrary) << "the repaired copy" << repairedPath << "has no record of its source: not used";
        return false;
    }
    // The cheap part first: another file, or the same one written anew, needs no hashing.
    const std::optional<FileIdentity> now = IdentifyFile(EncodeFileNameBytes(sourcePath));
    if (!now || *now != recorded->file) {
        qCInfo(lcLibrary) << "the repaired copy" << repairedPath << "was made from another recording than" << sourcePath;
        return false;
    }
    const std::optional<SourceFingerprint> current = FingerprintOf(sourcePath);
    if (!current || *current != *recorded) {
        qCInfo(lcLibrary) << "the repaired copy" << repairedPath << "does not match the bytes of" << sourcePath;
        return false;
    }
    return true;
}

} // namespace korvane
