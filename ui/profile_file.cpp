#include "ui/profile_file.h"

#include <QFile>
#include <QLoggingCategory>

#include "platform/bounded_read.h"

Q_DECLARE_LOGGING_CATEGORY(lcTexts)

namespace korvane {
namespace {
constexpr char16_t kReplacement = 0xFFFD;

bool IsBlank(QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); }

QString TrimBlanks(QStringView s)
{
    qsizetype from = 0, to = s.size();
    while (from < to && IsBlank(s[from]))
        ++from;
    while (to > from && IsBlank(s[to - 1]))
        --to;
    return s.mid(from, to - from).toString();
}

// Names compare without regard to ASCII case only: other letters must match exactly.
bool SameName(const QString& a, const QString& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        char16_t x = a[i].unicode(), y = b[i].unicode();
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char16_t>(x + 32);
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char16_t>(y + 32);
        if (x != y)
            return false;
    }
    return true;
}

QString DecodeUtf16(const QByteArray& bytes, qsizetype start, bool bigEndian)
{
    QString out;
    out.reserve((bytes.size() - start) / 2);
    auto unit = [&](qsizetype i) {
        const auto a = static_cast<unsigned char>(bytes[i]), b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    const qsizetype units = (bytes.size() - start) / 2;
    for (qsizetype n = 0; n < units; ++n) {
        const char16_t u = unit(start + 2 * n);
        if (QChar::isHighSurrogate(u) && n + 1 < units && QChar::isLowSurrogate(unit(start + 2 * n + 2))) {
            out.append(QChar(u));
            out.append(QChar(unit(start + 2 * n + 2)));
            ++n;
        } else if (QChar::isSurrogate(u)) {
            out.append(QChar(kReplacement));   // a half pair
        } else {
            out.append(QChar(u));
        }
    }
    if ((bytes.size() - start) % 2)
        out.append(QChar(kReplacement));       // a lone last byte
    return out;
}
} // namespace

QString DecodeProfileText(const QByteArray& bytes)
{
    auto starts = [&](std::initializer_list<unsigned char> mark) {
        if (bytes.size() < static_cast<qsizetype>(mark.size()))
            return false;
        qsizetype i = 0;
        for (unsigned char m : mark)
            if (static_cast<unsigned char>(bytes[i++]) != m)
                return false;
        return true;
    };
    if (starts({0xFF, 0xFE}))
        return DecodeUtf16(bytes, 2, false);
    if (starts({0xFE, 0xFF}))
        return DecodeUtf16(bytes, 2, true);
    if (starts({0xEF, 0xBB, 0xBF}))
        return QString::fromUtf8(bytes.constData() + 3, bytes.size() - 3);
    return QString::fromUtf8(bytes);   // invalid sequences become U+FFFD
}

ProfileFile ProfileFile::Parse(const QByteArray& bytes)
{
    ProfileFile profile;
    const QString text = DecodeProfileText(bytes);
    Section* current = nullptr;
    for (QStringView line : QStringView(text).split(QLatin1Char('\n'))) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        qsizetype first = 0;
        while (first < line.size() && IsBlank(line[first]))
            ++first;
        if (first == line.size())
            continue;
        if (line[first] == QLatin1Char('[')) {
            QStringView rest = line.mid(first + 1);
            const qsizetype close = rest.indexOf(QLatin1Char(']'));
            if (close >= 0)
                rest = rest.left(close);
            profile.sections_.push_back(Section{TrimBlanks(rest), {}});
            current = &profile.sections_.back();
            continue;
        }
        if (line[first] == QLatin1Char(';'))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq < 0 || !current)
            continue;
        QString value = TrimBlanks(line.mid(eq + 1));
        if (value.size() >= 2 && value.front() == value.back()
            && (value.front() == QLatin1Char('"') || value.front() == QLatin1Char('\'')))
            value = value.mid(1, value.size() - 2);
        value = CutText(value, kValueMax);
        current->entries.push_back(Entry{TrimBlanks(line.left(eq)), value});
    }
    return profile;
}

ProfileFile ProfileFile::Read(const QString& path)
{
    const BoundedRead file = ReadSmallRegularFile(path, kFileMax);
    if (file.status != BoundedRead::Status::Ok) {
        qCWarning(lcTexts) << "cannot read" << path << file.reason;
        return {};
    }
    return Parse(file.bytes);
}

std::optional<QString> ProfileFile::Value(const QString& section, const QString& key) const
{
    for (const Section& s : sections_) {
        if (!SameName(s.name, section))
            continue;
        // Only the first section of a name is searched.
        for (const Entry& e : s.entries)
            if (SameName(e.key, key))
                return e.value;
        return std::nullopt;
    }
    return std::nullopt;
}

QString CutText(const QString& text, qsizetype max)
{
    if (text.size() <= max)
        return text;
    if (max <= 0)
        return QString();
    return text.left(text.at(max - 1).isHighSurrogate() ? max - 1 : max);
}

QString ProfileFile::Get(const QString& section, const QString& key, const QString& fallback) const
{
    return Value(section, key).value_or(fallback);
}

} // namespace korvane
