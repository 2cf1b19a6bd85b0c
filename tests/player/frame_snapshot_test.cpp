// The frame grid read from a recording and its arithmetic, and the parts of a snapshot that need
// no display: the pictures folder, the file name, the decoder's seek, the text, the card guard
// and the failures a snapshot reports.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>

#include "player/frame_timing.h"
#include "library/thumbnail_tool.h"
#include "player/snapshot.h"

using namespace korvane;

namespace {
const QString kCard = QStringLiteral(KORVANE_PLAYER_FIXTURES "/card");

QByteArray Box(const char* type, const QByteArray& payload)
{
    QByteArray size(4, '\0');
    qToBigEndian<quint32>(static_cast<quint32>(payload.size() + 8), size.data());
    return size + QByteArray(type, 4) + payload;
}

QByteArray Be32(quint32 v)
{
    QByteArray b(4, '\0');
    qToBigEndian<quint32>(v, b.data());
    return b;
}

// A moov payload with one track: its handler, time scale and stts entries (count, delta).
QByteArray Movie(const char* handler, quint32 timeScale, const QList<QPair<quint32, quint32>>& stts,
                 quint32 declaredEntries = 0)
{
    const QByteArray mdhd = Box("mdhd", QByteArray(4, '\0') + Be32(0) + Be32(0) + Be32(timeScale) + Be32(0));
    const QByteArray hdlr = Box("hdlr", QByteArray(8, '\0') + QByteArray(handler, 4) + QByteArray(12, '\0'));
    QByteArray entries = QByteArray(4, '\0') + Be32(declaredEntries ? declaredEntries : stts.size());
    for (const auto& [count, delta] : stts)
        entries += Be32(count) + Be32(delta);
    const QByteArray stbl = Box("stbl", Box("stts", entries));
    return Box("trak", Box("mdia", mdhd + hdlr + Box("minf", stbl)));
}

std::optional<double> FromMovie(const QByteArray& moov) { return FrameDurationInMovie(moov.constData(), moov.size()); }

QCoreApplication& App()
{
    static int argc = 1;
    static char arg0[] = "frame_snapshot_test";
    static char* argv[] = {arg0, nullptr};
    static QCoreApplication* app = QCoreApplication::instance() ? QCoreApplication::instance()
                                                                 : new QCoreApplication(argc, argv);
    return *app;
}
} // namespace

TEST(FrameTiming, ReadsTheVideoTrackOfARealRecording)
{
    const std::optional<double> frame = ReadFrameDuration(kCard + QStringLiteral("/20250301100000.MP4"));
    ASSERT_TRUE(frame);
    EXPECT_NEAR(*frame, 1e7 / 30, 1e-6);
}

TEST(FrameTiming, DamagedOrForeignFilesGiveNothing)
{
    QTemporaryDir dir;
    QFile whole(kCard + QStringLiteral("/20250301100000.MP4"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    const QByteArray huge = Be32(1) + QByteArray("moov") + QByteArray::fromHex("7fffffffffffffff");
    const struct { const char* name; QByteArray data; } cases[] = {
        {"empty", {}},
        {"text", "not a recording at all\n"},
        {"cut before the movie box", bytes.left(bytes.indexOf("moov") - 4)},
        {"movie box cut short", bytes.left(bytes.indexOf("moov") + 200)},
        {"box larger than the file", huge},
    };
    for (const auto& c : cases) {
        const QString path = dir.filePath(QString::fromLatin1(c.name));
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(c.data);
        f.close();
        EXPECT_FALSE(ReadFrameDuration(path)) << c.name;
    }
    EXPECT_FALSE(ReadFrameDuration(dir.filePath(QStringLiteral("missing.MP4"))));
}

TEST(FrameTiming, MovieTables)
{
    EXPECT_NEAR(*FromMovie(Movie("vide", 15360, {{90, 512}})), 1e7 / 30, 1e-6);
    // 29.97 frames a second; the usual duration wins over a single odd one.
    EXPECT_NEAR(*FromMovie(Movie("vide", 30000, {{1, 2000}, {599, 1001}})), 1e7 * 1001 / 30000, 1e-6);
    // The sound track first, the video second.
    EXPECT_NEAR(*FromMovie(Movie("soun", 48000, {{100, 1024}}) + Movie("vide", 25, {{10, 1}})), 4e5, 1e-6);
    EXPECT_FALSE(FromMovie(Movie("soun", 48000, {{100, 1024}})));
    EXPECT_FALSE(FromMovie(Movie("vide", 0, {{90, 512}})));
    EXPECT_FALSE(FromMovie(Movie("vide", 15360, {})));
    EXPECT_FALSE(FromMovie(Movie("vide", 15360, {{90, 0}})));
    // An entry count far beyond the box is refused before anything is read.
    EXPECT_FALSE(FromMovie(Movie("vide", 15360, {{90, 512}}, 0x20000000)));
    // A frame of a millisecond or less than a frame a minute is no video's.
    EXPECT_FALSE(FromMovie(Movie("vide", 1000000, {{90, 1}})));
}

TEST(FrameTiming, Arithmetic)
{
    const double f = 1e7 / 30;   // 333 333.33
    struct Case { std::int64_t position; int direction; std::int64_t expected; };
    const Case cases[] = {
        {0, 1, 333334},             // frame 1 starts in the 333 334th unit
        {333334, 1, 666667},
        {333333, 1, 666667},        // one unit short of frame 1 counts as frame 1
        {500000, 1, 666667},        // in the middle of frame 1
        {500000, -1, 0},
        {0, -1, 0},                 // nothing before the first frame
        {200000000, 1, FrameStart(599, f)},   // the last frame of 20 s
        {FrameStart(599, f), 1, FrameStart(599, f)},
        {FrameStart(599, f), -1, FrameStart(598, f)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(StepTarget(c.position, c.direction, f, 200000000), c.expected) << c.position << " " << c.direction;
    for (std::int64_t i : {0, 1, 2, 29, 30, 299, 599})
        EXPECT_EQ(FrameIndexAt(FrameStart(i, f), f), i) << i;
    EXPECT_EQ(LastFrameIndex(200000000, f), 599);
    EXPECT_EQ(LastFrameIndex(0, f), 0);
    EXPECT_EQ(FrameIndexAt(1000, 0), 0);
}

TEST(Snapshot, PicturesFolder)
{
    QTemporaryDir config;
    auto dirs = [&](const QByteArray& text) {
        QFile f(config.filePath(QStringLiteral("user-dirs.dirs")));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    };
    const QString home = QStringLiteral("/home/driver");
    EXPECT_EQ(PicturesFolderFrom(QStringLiteral("/data/pics/"), config.path(), home), QStringLiteral("/data/pics"));
    // No file yet: the home's Pictures.
    EXPECT_EQ(PicturesFolderFrom(QString(), config.path(), home), home + QStringLiteral("/Pictures"));
    dirs("# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
    EXPECT_EQ(PicturesFolderFrom(QString(), config.path(), home), home + QStringLiteral("/Bilder"));
    // A relative variable is ignored for the file's value.
    EXPECT_EQ(PicturesFolderFrom(QStringLiteral("pics"), config.path(), home), home + QStringLiteral("/Bilder"));
    dirs("XDG_PICTURES_DIR=\"/srv/photos\"\n");
    EXPECT_EQ(PicturesFolderFrom(QString(), config.path(), home), QStringLiteral("/srv/photos"));
    dirs("XDG_PICTURES_DIR=\"photos\"\n");
    EXPECT_EQ(PicturesFolderFrom(QString(), config.path(), home), home + QStringLiteral("/Pictures"));
    EXPECT_EQ(PicturesFolderFrom(QString(), QString(), QString()), QString());
}

TEST(Snapshot, NamesTimesAndText)
{
    EXPECT_EQ(SnapshotFileName(QStringLiteral("20250614080000"), 54333334),
              QStringLiteral("20250614080000_00-00-05.433.png"));
    EXPECT_EQ(SnapshotFileName(QStringLiteral("EV"), 37230004995), QStringLiteral("EV_01-02-03.000.png"));
    EXPECT_EQ(SnapshotFileName(QStringLiteral(".hidden\tname"), 0), QStringLiteral("_hidden_name_00-00-00.000.png"));
    EXPECT_EQ(SnapshotClock(77666667, QLatin1Char(':')), QStringLiteral("00:00:07.767"));

    const double f = 1e7 / 30;
    EXPECT_DOUBLE_EQ(SnapshotSeekSeconds(0, f), 0.0);
    EXPECT_NEAR(SnapshotSeekSeconds(FrameStart(10, f), f), 9.5 / 30, 1e-9);   // between frames 9 and 10
    EXPECT_NEAR(SnapshotSeekSeconds(FrameStart(10, f) + 100000, f), 9.5 / 30, 1e-9);
    EXPECT_DOUBLE_EQ(SnapshotSeekSeconds(12345678, std::nullopt), 1.2345678);

    SnapshotRequest r;
    r.recordingName = QStringLiteral("20250614080000.MP4");
    r.position100ns = 54333334;
    TelemetrySample s;
    s.latitude = 35.6235121;
    s.longitude = 139.7184459;
    s.speedKmh = 41.96;
    s.dateTime = "2025/06/14 08:00:05";
    r.sample = s;   // no fix: no coordinates
    QMap<QString, QString> t = SnapshotTexts(r);
    EXPECT_EQ(t.value(QStringLiteral("Recording")), r.recordingName);
    EXPECT_EQ(t.value(QStringLiteral("Position")), QStringLiteral("00:00:05.433"));
    EXPECT_FALSE(t.contains(QStringLiteral("Latitude")));
    EXPECT_FALSE(t.contains(QStringLiteral("Speed")));
    r.sample->fixValid = 1;
    t = SnapshotTexts(r);
    EXPECT_EQ(t.value(QStringLiteral("Latitude")), QStringLiteral("35.623512"));
    EXPECT_EQ(t.value(QStringLiteral("Longitude")), QStringLiteral("139.718446"));
    EXPECT_EQ(t.value(QStringLiteral("Speed")), QStringLiteral("42.0 km/h"));
    EXPECT_EQ(t.value(QStringLiteral("Creation Time")), QStringLiteral("2025/06/14 08:00:05"));
    r.sample->speedKmh = NoSpeed;
    EXPECT_FALSE(SnapshotTexts(r).contains(QStringLiteral("Speed")));
    // Text from the card is written escaped, never with its control characters.
    r.sample->dateTime = "2025/06/14 \x1b]0;x\x07\r08:00:05";
    r.recordingName = QStringLiteral("2025061408\x1b" "0000.MP4");
    t = SnapshotTexts(r);
    EXPECT_EQ(t.value(QStringLiteral("Creation Time")), QStringLiteral("2025/06/14 \\x1B]0;x\\x07\\r08:00:05"));
    EXPECT_EQ(t.value(QStringLiteral("Recording")), QStringLiteral("2025061408\\x1B0000.MP4"));
}

TEST(Snapshot, CardGuard)
{
    QTemporaryDir root;
    const QString card = root.filePath(QStringLiteral("card"));
    ASSERT_TRUE(QDir().mkpath(card + QStringLiteral("/DCIM")));
    ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("card2"))));
    ASSERT_TRUE(QFile::link(card, root.filePath(QStringLiteral("link"))));
    EXPECT_TRUE(InsideCard(card, {card}));
    EXPECT_TRUE(InsideCard(card + QStringLiteral("/DCIM/Korvane"), {card}));
    EXPECT_TRUE(InsideCard(root.filePath(QStringLiteral("link/Korvane")), {card}));
    EXPECT_FALSE(InsideCard(root.filePath(QStringLiteral("card2/Korvane")), {card}));
    EXPECT_FALSE(InsideCard(root.filePath(QStringLiteral("pics")), {QString(), card}));
}

TEST(Snapshot, FailuresAreReportedAndWriteNothing)
{
    App();
    QTemporaryDir root;
    const QString card = root.filePath(QStringLiteral("card"));
    ASSERT_TRUE(QDir().mkpath(card));
    ASSERT_TRUE(QFile::link(card, root.filePath(QStringLiteral("link"))));
    SnapshotRequest r;
    r.mp4Path = kCard + QStringLiteral("/20250301100000.MP4");
    r.stem = QStringLiteral("20250301100000");
    r.position100ns = 10000000;
    r.frame100ns = 1e7 / 30;
    r.workingFolder = root.path();
    struct Case { const char* what; QString tool; QString folder; };
    const Case cases[] = {
        {"no tool", QString(), root.filePath(QStringLiteral("pics"))},
        {"a tool that fails", QStringLiteral("/bin/false"), root.filePath(QStringLiteral("pics"))},
        {"a tool that does not exist", root.filePath(QStringLiteral("nothing")), root.filePath(QStringLiteral("pics"))},
        {"a folder on the card", FindThumbnailTool(QString()), card + QStringLiteral("/Korvane")},
        {"a pictures folder linked into the card", FindThumbnailTool(QString()), root.filePath(QStringLiteral("link/Korvane"))},
    };
    for (const Case& c : cases) {
        SnapshotTaker taker;
        QSignalSpy saved(&taker, &SnapshotTaker::saved);
        QSignalSpy failed(&taker, &SnapshotTaker::failed);
        r.toolPath = c.tool;
        r.outputFolder = c.folder;
        r.cardFolders = {card};
        taker.Take(r);
        EXPECT_TRUE(failed.count() == 1 || failed.wait(20000)) << c.what;
        EXPECT_EQ(saved.count(), 0) << c.what;
        EXPECT_FALSE(QDir(c.folder).exists()) << c.what;
    }
    // The same request with a usable folder is saved.
    SnapshotTaker taker;
    QSignalSpy saved(&taker, &SnapshotTaker::saved);
    r.toolPath = FindThumbnailTool(QString());
    r.outputFolder = root.filePath(QStringLiteral("pics/Korvane"));
    taker.Take(r);
    ASSERT_TRUE(saved.wait(20000));
    EXPECT_EQ(saved.at(0).at(0).toString(), r.outputFolder + QStringLiteral("/20250301100000_00-00-01.000.png"));
}
