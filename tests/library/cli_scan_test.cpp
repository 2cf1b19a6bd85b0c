// korvane-cli scan FOLDER as a user runs it.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

namespace {
struct CliRun {
    int exitCode = -1;
    QString out, err;
};

CliRun RunScan(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral(KORVANE_CLI), QStringList{"scan"} + args);
    CliRun r;
    if (!p.waitForFinished(30000))
        return r;
    r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}
} // namespace

TEST(CliScan, ListsBothGroupsInOrderWithTotals)
{
    QTemporaryDir dir;
    const struct { const char* name; int size; } files[] = {
        {"20230101120100.MP4", 10}, {"PH20230101120000.MP4", 20}, {"G20230101120100.MP4", 5},
        {"G20230101120000.mp4", 7}, {"notes.txt", 3}, {".20230101120200.MP4", 4},
    };
    for (const auto& f : files) {
        QFile file(dir.path() + "/" + f.name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(f.size, 'x'));
    }
    const CliRun r = RunScan({dir.path()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "# normal=2 normal_bytes=30 event=2 event_bytes=12 cut=0\n"
                     "N PH20230101120000.MP4\nN 20230101120100.MP4\n"
                     "E G20230101120000.mp4\nE G20230101120100.MP4\n");
}

// A recording cut off while it was written (an mdat running past the end of the file, no moov)
// is marked "cut"; complete recordings and files that are no MP4 at all are not.
TEST(CliScan, CutRecordingsAreMarked)
{
    auto box = [](const char* type, quint32 size, const QByteArray& body) {
        QByteArray b;
        b.append(char(size >> 24)).append(char(size >> 16)).append(char(size >> 8)).append(char(size));
        return b + QByteArray(type, 4) + body;
    };
    const QByteArray ftyp = box("ftyp", 16, QByteArray("isom\0\0\0\0", 8));
    QTemporaryDir dir;
    const struct { const char* name; QByteArray bytes; } files[] = {
        // cut: the mdat says 4096 bytes, the file ends after 100
        {"20230101120000.MP4", ftyp + box("mdat", 4096, QByteArray(92, 'x'))},
        {"20230101120100.MP4", QByteArray(10, 'x')},   // no MP4: not a cut recording
        {"G20230101120000.MP4", ftyp + box("mdat", 0, QByteArray(50, 'x'))},   // size 0: cut
    };
    for (const auto& f : files) {
        QFile file(dir.path() + "/" + f.name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(f.bytes);
    }
    const CliRun r = RunScan({dir.path()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "# normal=2 normal_bytes=126 event=1 event_bytes=74 cut=2\n"
                     "N 20230101120000.MP4 cut\nN 20230101120100.MP4\n"
                     "E G20230101120000.MP4 cut\n");
}

TEST(CliScan, EmptyFolderAndUnlistableFolder)
{
    QTemporaryDir dir;
    CliRun r = RunScan({dir.path()});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "# normal=0 normal_bytes=0 event=0 event_bytes=0 cut=0\n");

    r = RunScan({dir.path() + "/missing"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.out.isEmpty());
    EXPECT_TRUE(r.err.contains("cannot list folder")) << r.err.toStdString();
}
