#pragma once
// Card folders on disk for the data-management tests: recordings of chosen sizes, the clutter a
// real card can hold, sparse large files, and small tmpfs mounts as destinations.
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdint>
#include <string>

namespace korvane::test {

std::string Native(const QString& path);

// "20230101120000.MP4" + i seconds (Normal) or the same with the prefix G (Event).
QString NormalName(int i);
QString EventName(int i);

// Writes `size` bytes of a pattern that differs per file.
void WriteFile(const QString& path, std::int64_t size, int seed = 0);
// A file of `size` bytes that takes no room on disk (one byte at the end).
void WriteSparse(const QString& path, std::int64_t size);
QByteArray ReadAll(const QString& path);
// Names in a folder, dot entries included, sorted.
QStringList Entries(const QString& folder);

// A card of `normal` + `event` recordings (sizes 1000 + 37 × i bytes) plus clutter: a text
// file, a folder named like a recording and a symbolic link to a file outside the card.
struct Card {
    QString folder;     // <root>/card
    QString outside;    // <root>/outside.txt, the link's target
    QStringList recordings;
    static Card Make(const QString& root, int normal, int event);
};

// A tmpfs of `bytes` mounted on a fresh folder for the life of the object (root only);
// Mounted() is false where mounting is not allowed.
class SmallTmpfs {
public:
    SmallTmpfs(const QString& where, std::int64_t bytes, bool readOnly = false);
    ~SmallTmpfs();
    bool Mounted() const { return mounted_; }
    QString Path() const { return path_; }

private:
    QString path_;
    bool mounted_ = false;
};

} // namespace korvane::test
