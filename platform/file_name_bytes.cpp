#include "platform/file_name_bytes.h"

#include <sys/stat.h>

namespace korvane {
namespace {
// The length of the well-formed UTF-8 sequence at `at`, or 0.
int SequenceLength(const QByteArray& s, qsizetype at)
{
    const auto b = [&](qsizetype i) { return static_cast<unsigned char>(s[i]); };
    const unsigned char c = b(at);
    if (c < 0x80)
        return 1;
    int length = 0;
    char32_t cp = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (s.size() - at < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((b(at + i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(at + i) & 0x3F);
    }
    if ((length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000) || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0;
    return length;
}
} // namespace

QString DecodeFileNameBytes(const QByteArray& bytes)
{
    QString out;
    out.reserve(bytes.size());
    qsizetype at = 0;
    while (at < bytes.size()) {
        const int n = SequenceLength(bytes, at);
        if (n == 0) {
            out.append(QChar(char16_t(0xDC00 + static_cast<unsigned char>(bytes[at]))));
            ++at;
        } else {
            out.append(QString::fromUtf8(bytes.constData() + at, n));
            at += n;
        }
    }
    return out;
}

QByteArray EncodeFileNameBytes(const QString& name)
{
    QByteArray out;
    out.reserve(name.size());
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name[i + 1].isLowSurrogate()) {
            out.append(name.mid(i, 2).toUtf8());
            ++i;
        } else if (u >= 0xDC80 && u <= 0xDCFF) {
            out.append(static_cast<char>(u - 0xDC00));  // an escaped stray byte
        } else {
            out.append(QString(QChar(u)).toUtf8());
        }
    }
    return out;
}

bool IsRegularFileName(const QString& path)
{
    struct stat st {};
    return !path.isEmpty() && ::stat(EncodeFileNameBytes(path).constData(), &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace korvane
