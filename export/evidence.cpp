#include "export/evidence.h"

#include "export/export_log.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <openssl/evp.h>
#include <memory>

namespace korvane {

namespace {

constexpr qint64 kBlock = 1 << 20;

QString Seconds(std::int64_t us)
{
    return QString::number(double(us) / 1e6, 'f', 6);
}

} // namespace

Expected<QByteArray, ExportError> FileSha256(const QString& path, const std::function<bool()>& stopped)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        qCWarning(lcExport) << path << "cannot be read:" << f.errorString();
        return Unexpected(ExportError{ExportFailure::Unreadable, path + QStringLiteral(": ") + f.errorString()});
    }
    // OpenSSL's digest uses the processor's SHA instructions where it has them.
    std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> hash(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!hash || EVP_DigestInit_ex(hash.get(), EVP_sha256(), nullptr) != 1)
        return Unexpected(ExportError{ExportFailure::Unreadable, path + QStringLiteral(": no SHA-256")});
    QByteArray block(kBlock, Qt::Uninitialized);
    for (;;) {
        if (stopped())
            return Unexpected(ExportError{ExportFailure::Stopped, QStringLiteral("stopped")});
        const qint64 n = f.read(block.data(), kBlock);
        if (n < 0) {
            qCWarning(lcExport) << path << "cannot be read:" << f.errorString();
            return Unexpected(ExportError{ExportFailure::Unreadable, path + QStringLiteral(": ") + f.errorString()});
        }
        if (n == 0)
            break;
        EVP_DigestUpdate(hash.get(), block.constData(), size_t(n));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(hash.get(), digest, &length);
    return QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex();
}

namespace {

QJsonArray SourcesJson(const QList<SourceRecord>& records)
{
    QJsonArray sources;
    for (const SourceRecord& s : records) {
        sources.append(QJsonObject{
            {QStringLiteral("card_name"), s.cardName},
            {QStringLiteral("path"), s.path},
            {QStringLiteral("size"), double(s.size)},
            {QStringLiteral("sha256"), QString::fromLatin1(s.sha256)},
            {QStringLiteral("used_from_s"), Seconds(s.usedFromUs)},
            {QStringLiteral("used_to_s"), Seconds(s.usedToUs)},
        });
    }
    return sources;
}

} // namespace

QByteArray ManifestJson(const ManifestInfo& info)
{
    const QJsonArray sources = SourcesJson(info.sources);
    QJsonObject root{
        {QStringLiteral("program"), QStringLiteral("Korvane")},
        {QStringLiteral("program_version"), QStringLiteral(KORVANE_VERSION)},
        {QStringLiteral("exported_at_utc"), info.exportedAt},
        {QStringLiteral("in_camera_clock"), info.inCamera},
        {QStringLiteral("out_camera_clock"), info.outCamera},
        {QStringLiteral("duration_s"), Seconds(info.durationUs)},
        {QStringLiteral("sources"), sources},
        {QStringLiteral("outputs"), QJsonArray::fromStringList(info.outputs)},
    };
    if (!info.channels.isEmpty()) {
        QJsonArray channels;
        for (const ChannelRecord& c : info.channels) {
            channels.append(QJsonObject{
                {QStringLiteral("letter"), c.letter},
                {QStringLiteral("file"), c.file},
                {QStringLiteral("in_camera_clock"), c.inCamera},
                {QStringLiteral("out_camera_clock"), c.outCamera},
                {QStringLiteral("duration_s"), Seconds(c.durationUs)},
                {QStringLiteral("sources"), SourcesJson(c.sources)},
            });
        }
        root.insert(QStringLiteral("channels"), channels);
    }
    if (info.haveGpsOffset)
        root.insert(QStringLiteral("camera_clock_minus_gps_utc_s"), double(info.clockMinusGpsUtc));
    else
        root.insert(QStringLiteral("camera_clock_minus_gps_utc_s"), QJsonValue::Null);
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

QByteArray ChecksumList(const QList<QPair<QString, QByteArray>>& entries)
{
    QByteArray out;
    for (const auto& [name, digest] : entries) {
        // sha256sum's escaped form for a name holding a backslash or a line break.
        QByteArray n = name.toUtf8();
        const bool escaped = n.contains('\\') || n.contains('\n');
        if (escaped)
            n = n.replace("\\", "\\\\").replace("\n", "\\n");
        out += (escaped ? "\\" : "") + digest + "  " + n + '\n';
    }
    return out;
}

} // namespace korvane
