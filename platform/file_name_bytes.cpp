#include "platform/file_name_bytes.h"

#include <sys/stat.h>

#include "platform/utf8_sequence.h"

namespace korvane {
namespace {
// The length of the well-formed UTF-8 sequence at `at`, or 0.
int SequenceLength(const QByteArray& s, qsizetype at)
{
    return static_cast<int>(Utf8SequenceLength(std::string_view(s.constData() + at, static_cast<size_t>(s.size() - at))));
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
