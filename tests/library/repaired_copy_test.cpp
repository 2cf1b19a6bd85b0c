// A repaired copy is used only for the recording it was made from: its side record names the
// recording's device, inode, size, modification time and the hash of its first and last MiB.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <functional>

#include "library/repaired_copy.h"

using namespace korvane;

namespace {
bool Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray Bytes(qint64 size, char fill) { return QByteArray(size, fill); }
} // namespace

TEST(RepairedCopy, IsUsedOnlyForTheRecordingItWasMadeFrom)
{
    struct Case {
        const char* what;
        std::function<void(const QString& source, const QString& copy, const QString& other)> change;
        bool belongs;
    };
    const Case cases[] = {
        {"the recording it was made from", [](const QString&, const QString&, const QString&) {}, true},
        {"another card's recording of the same name (another file with the same bytes)",
         [](const QString& source, const QString&, const QString& other) {
             QFile::remove(source);
             QFile::rename(other, source);
         },
         false},
        {"the recording written anew with other bytes",
         [](const QString& source, const QString&, const QString&) { Write(source, Bytes(3 << 20, 'b')); }, false},
        {"the recording cut shorter",
         [](const QString& source, const QString&, const QString&) { QFile(source).resize(2 << 20); }, false},
        {"a copy without a record",
         [](const QString&, const QString& copy, const QString&) { RemoveSourceRecord(copy); }, false},
        {"a record that is not one of ours",
         [](const QString&, const QString& copy, const QString&) { Write(SourceRecordPath(copy), "device 1\n"); }, false},
        {"a copy that is gone", [](const QString&, const QString& copy, const QString&) { QFile::remove(copy); }, false},
        {"a recording that is gone", [](const QString& source, const QString&, const QString&) { QFile::remove(source); },
         false},
    };
    for (const Case& c : cases) {
        QTemporaryDir dir;
        const QString source = dir.filePath(QStringLiteral("20230101120100.MP4"));
        const QString other = dir.filePath(QStringLiteral("other.MP4"));
        const QString copy = dir.filePath(QStringLiteral("20230101120100_repaired.MP4"));
        ASSERT_TRUE(Write(source, Bytes(3 << 20, 'a')) && Write(other, Bytes(3 << 20, 'a')) && Write(copy, "copy"));
        const std::optional<SourceFingerprint> print = FingerprintOf(source);
        ASSERT_TRUE(print.has_value());
        ASSERT_TRUE(WriteSourceRecord(copy, *print));
        EXPECT_EQ(ReadSourceRecord(copy), print);
        c.change(source, copy, other);
        EXPECT_EQ(RepairedCopyBelongsTo(copy, source), c.belongs) << c.what;
    }
}

TEST(RepairedCopy, TheFingerprintCoversTheFirstAndLastMiB)
{
    QTemporaryDir dir;
    const QString a = dir.filePath(QStringLiteral("a.MP4"));
    QByteArray bytes = Bytes(5 << 20, 'x');
    ASSERT_TRUE(Write(a, bytes));
    const QByteArray whole = FingerprintOf(a)->headTailSha256;
    bytes[(5 << 20) - 10] = 'y';   // in the last MiB
    ASSERT_TRUE(Write(a, bytes));
    EXPECT_NE(FingerprintOf(a)->headTailSha256, whole);
    // A small file is hashed once, whole.
    const QString small = dir.filePath(QStringLiteral("small.MP4"));
    ASSERT_TRUE(Write(small, "tiny"));
    EXPECT_EQ(FingerprintOf(small)->file.size, 4);
    EXPECT_FALSE(FingerprintOf(dir.path()).has_value());
}
