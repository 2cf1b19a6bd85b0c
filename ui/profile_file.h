#pragma once
// The settings file reader: an INI ("profile") file read the way the viewer's texts are looked
// up. UTF-16 with a byte-order mark or UTF-8; sections and keys compare without regard to ASCII
// case; only the first section of a name and its first key of a name count; values are trimmed
// of blanks and tabs, lose one pair of surrounding quotes and are cut at 2047 UTF-16 units.
// Nothing ever writes the file.
#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace korvane {

// `text` cut to at most `max` UTF-16 units; a cut that would leave the first half of a surrogate
// pair is made before the pair, so no half character is ever shown.
QString CutText(const QString& text, qsizetype max);

class ProfileFile {
public:
    static constexpr int kValueMax = 2047;
    // A settings file larger than this is not read (the shipped file with both languages is under 10 KiB).
    static constexpr qint64 kFileMax = 4 * 1024 * 1024;

    // Parses file contents; never fails (undecodable bytes become U+FFFD).
    static ProfileFile Parse(const QByteArray& bytes);
    // Reads and parses a file; a file that cannot be read, is not a regular file (a FIFO, a
    // device, a folder) or is larger than kFileMax gives a profile with no sections, and a log
    // line says why.
    static ProfileFile Read(const QString& path);

    // The value of `key` in the first section named `section`; nothing when either is missing.
    std::optional<QString> Value(const QString& section, const QString& key) const;

    // GetPrivateProfileString's answer: the value, or `fallback` when it is missing.
    QString Get(const QString& section, const QString& key, const QString& fallback) const;

    int SectionCount() const { return static_cast<int>(sections_.size()); }

private:
    struct Entry {
        QString key;
        QString value;
    };
    struct Section {
        QString name;
        std::vector<Entry> entries;
    };
    std::vector<Section> sections_;
};

// The text of a settings file as UTF-16: byte-order marks FF FE (UTF-16LE), FE FF (UTF-16BE),
// EF BB BF (UTF-8), otherwise UTF-8.
QString DecodeProfileText(const QByteArray& bytes);

} // namespace korvane
