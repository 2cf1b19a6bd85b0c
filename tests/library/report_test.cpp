#include "library/catalogue.h"
#include "library/cell_layout.h"
#include "library/library_texts.h"
#include "library/scan_report.h"
#include "library/working_folder.h"
#include "platform/message_box.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace korvane;

namespace {
struct RecordingSink : MessageSink {
    QStringList texts, captions;
    int Show(const QString& caption, const QString& text, BoxIcon, BoxButtons) override
    {
        captions << caption;
        texts << text;
        return kResultOk;
    }
};

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    return f.readAll();
}
} // namespace

TEST(ScanReport, SixLinesWithoutMissingFiles)
{
    QTemporaryDir dir;
    RecordingCatalogue c;
    c.recordingFolder = "/media/card";
    c.workingFolder = dir.path();
    c.normalShown = {"20230101120000.MP4", "20230101120100.MP4"};
    c.eventShown = {"G20230101120000.MP4"};
    ASSERT_TRUE(WriteScanReport(c));
    EXPECT_EQ(ReadAll(dir.path() + "/FileReport.log"),
              "Path : /media/card\r\nTotal : 3\r\nNormal File : 2\r\nBad Normal File : 0\r\n"
              "Event File : 1\r\nBad Event File : 0\r\n");
}

TEST(ScanReport, ListsBadFilesOfBothGroupsAndReplacesTheOldReport)
{
    QTemporaryDir dir;
    RecordingCatalogue c;
    c.recordingFolder = "/media/card";
    c.workingFolder = dir.path();
    c.normalShown = {"20230101120000.MP4"};
    c.normalMissing = {"20230101120100.MP4", "H20230101120200.MP4"};
    c.eventMissing = {"G20230101120000.MP4"};
    ASSERT_TRUE(WriteScanReport(c));
    EXPECT_EQ(ReadAll(dir.path() + "/FileReport.log"),
              "Path : /media/card\r\nTotal : 4\r\nNormal File : 1\r\nBad Normal File : 2\r\n"
              "Event File : 0\r\nBad Event File : 1\r\n"
              "----------Bad Normal File --------------\r\n20230101120100.MP4\r\nH20230101120200.MP4\r\n\r\n"
              "----------Bad Event File --------------\r\nG20230101120000.MP4\r\n\r\n");
    c = RecordingCatalogue{};
    c.recordingFolder = "/empty";
    c.workingFolder = dir.path();
    ASSERT_TRUE(WriteScanReport(c));
    EXPECT_EQ(ReadAll(dir.path() + "/FileReport.log"),
              "Path : /empty\r\nTotal : 0\r\nNormal File : 0\r\nBad Normal File : 0\r\n"
              "Event File : 0\r\nBad Event File : 0\r\n");
}

TEST(ScanReport, NoWorkingFolderWritesNothing)
{
    RecordingCatalogue c;
    EXPECT_FALSE(WriteScanReport(c));
    c.workingFolder = "/nonexistent/korvane";
    EXPECT_FALSE(WriteScanReport(c));
}

TEST(Caption, EveryPrefixGivesTheStampCaption)
{
    for (const char* name : {"20230101120000.MP4", "G20230101120000.MP4", "H20230101120000.MP4",
                             "P20230101120000.MP4", "PH20230101120000.MP4", "20230101120000.mp4"})
        EXPECT_EQ(CaptionForName(name), "2023.01.01\r\n12:00:00") << name;
    EXPECT_EQ(CaptionForName("G20991231235959.MP4"), "2099.12.31\r\n23:59:59");
    // Odd texts give odd captions but never fail.
    for (const char* odd : {"", "x", "MP4", "ABCD.MP4", "G2.MP4"})
        EXPECT_NO_THROW(CaptionForName(odd));
}

struct GeometryCase {
    double scale;
    int w, h;
    QRect image, caption;
};

TEST(CellGeometry, EveryDisplayScale)
{
    const GeometryCase cases[] = {
        {1.0, 110, 100, QRect(5, 8, 96, 92), QRect(22, 70, 77, 40)},
        {1.2, 132, 120, QRect(6, 9, 116, 110), QRect(26, 84, 92, 48)},
        {1.25, 137, 125, QRect(6, 10, 120, 115), QRect(27, 87, 95, 50)},
        {1.4, 154, 140, QRect(7, 11, 135, 128), QRect(30, 98, 107, 56)},
        {1.5, 165, 150, QRect(8, 12, 145, 138), QRect(33, 105, 115, 60)},
        {1.6, 176, 160, QRect(8, 12, 154, 147), QRect(35, 112, 123, 64)},
        {1.75, 192, 175, QRect(9, 14, 168, 161), QRect(38, 122, 134, 70)},
    };
    for (const GeometryCase& c : cases) {
        const CellGeometry g = CellGeometryForScale(c.scale);
        EXPECT_EQ(g.cellWidth, c.w) << c.scale;
        EXPECT_EQ(g.cellHeight, c.h) << c.scale;
        EXPECT_EQ(g.image, c.image) << c.scale;
        EXPECT_EQ(g.caption, c.caption) << c.scale;
        EXPECT_EQ(g.gridHeight, 80 * c.h + 10);
    }
}

TEST(WorkingFolder, CacheHomeFirstThenNeverTheProgramFolder)
{
    QTemporaryDir cache, program, runtime;
    auto made = PrepareWorkingFolder(program.path(), cache.path());
    ASSERT_TRUE(made);
    QString folder = *made;
    EXPECT_EQ(folder, cache.path() + "/KorvaneData");
    EXPECT_TRUE(QDir(folder).exists());

    // A cache home that cannot hold folders: a plain file in its place. The runtime folder
    // takes over; the program folder (the card) stays untouched.
    QFile blocker(cache.path() + "/file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    made = PrepareWorkingFolder(program.path(), cache.path() + "/file");
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    ASSERT_TRUE(made);
    folder = *made;
    EXPECT_EQ(folder, runtime.path() + "/KorvaneData");
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_TRUE(QDir(program.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
}

TEST(WorkingFolder, NeitherPlaceIsAnErrorAndShowsNothing)
{
    RecordingSink sink;
    SetMessageSink(&sink);
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("XDG_RUNTIME_DIR", "/proc/korvane-none");
    qputenv("TMPDIR", "/proc/korvane-none");
    const auto made = PrepareWorkingFolder("/proc/korvane-none", "/proc/korvane-none");
    qputenv("XDG_RUNTIME_DIR", oldRuntime);
    if (oldTmp.isNull())
        qunsetenv("TMPDIR");
    else
        qputenv("TMPDIR", oldTmp);
    SetMessageSink(nullptr);
    ASSERT_FALSE(made);
    EXPECT_EQ(made.error(), WorkingFolderError::NoPlace);
    // The library shows no box of its own: the viewer tells the user (see the shell's tests).
    EXPECT_TRUE(sink.texts.isEmpty());
}

TEST(WorkingFolder, PurgeRemovesPicturesSideFilesAndReportOnly)
{
    QTemporaryDir dir;  // a private folder of the user, as the viewer makes it
    const QString d = dir.path();
    for (const char* n : {"a.bmp", "B.BMP", "c.GPS", "d.gps", "x.bmp.old", "keep.txt", ".hidden.bmp", "FileReport.log"}) {
        QFile f(d + "/" + n);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(QDir(d).mkdir("sub.bmp"));
    EXPECT_EQ(PurgeWorkingFolder(d), 2);
    QStringList left = QDir(d).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    EXPECT_EQ(left, (QStringList{".hidden.bmp", "B.BMP", "d.gps", "keep.txt", "sub.bmp", "x.bmp.old"}));
    EXPECT_EQ(PurgeWorkingFolder(QString()), 0);  // never the current directory
}

TEST(LibraryTexts, BuiltInEnglishUntilTheCatalogueAnswers)
{
    EXPECT_FALSE(LibraryText("Main.Info.OverMaxFile.Caption").isEmpty());
    SetLibraryTextSource([](const QString& key) {
        return key == "Main.Info.OverMaxFile.Caption" ? QStringLiteral("動画最大読み出し件数を超えてます。") : QString();
    });
    EXPECT_EQ(LibraryText("Main.Info.OverMaxFile.Caption"), "動画最大読み出し件数を超えてます。");
    EXPECT_EQ(LibraryText("Main.Info.Over240MaxFile.Caption"), "Recordings beyond 240 cannot be shown.");
    SetLibraryTextSource(nullptr);
}
