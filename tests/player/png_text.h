#pragma once
// The text chunks of a PNG file (tEXt, zTXt and iTXt), read straight from its bytes, so a test
// sees what any other program reading the file would see.
#include <QFile>
#include <QMap>
#include <QString>
#include <QtEndian>

namespace korvane {

inline QMap<QString, QString> ReadPngText(const QString& path)
{
    QMap<QString, QString> texts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    const QByteArray data = file.readAll();
    if (!data.startsWith("\x89PNG\r\n\x1a\n"))
        return texts;
    // zlib data as qUncompress wants it: the expected size first (an upper bound will do).
    auto inflate = [](const QByteArray& z) {
        QByteArray framed(4, '\0');
        qToBigEndian<quint32>(1u << 20, framed.data());
        return qUncompress(framed + z);
    };
    for (qsizetype at = 8; at + 12 <= data.size();) {
        const quint32 length = qFromBigEndian<quint32>(data.constData() + at);
        const QByteArray type = data.mid(at + 4, 4);
        if (length > static_cast<quint32>(data.size() - at - 12))
            break;
        const QByteArray body = data.mid(at + 8, length);
        const qsizetype nul = body.indexOf('\0');
        if (nul > 0) {
            const QString key = QString::fromLatin1(body.left(nul));
            if (type == "tEXt") {
                texts.insert(key, QString::fromLatin1(body.mid(nul + 1)));
            } else if (type == "zTXt") {
                texts.insert(key, QString::fromLatin1(inflate(body.mid(nul + 2))));
            } else if (type == "iTXt") {
                // keyword \0 flag method language \0 translated keyword \0 text
                const bool compressed = nul + 1 < body.size() && body.at(nul + 1) != 0;
                const qsizetype language = body.indexOf('\0', nul + 3);
                const qsizetype translated = language < 0 ? -1 : body.indexOf('\0', language + 1);
                if (translated >= 0) {
                    const QByteArray text = body.mid(translated + 1);
                    texts.insert(key, QString::fromUtf8(compressed ? inflate(text) : text));
                }
            }
        }
        at += 12 + length;
    }
    return texts;
}

} // namespace korvane
