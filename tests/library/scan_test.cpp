#include "library/catalogue.h"
#include "library/recording_scan.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <filesystem>
#include <fstream>

using namespace korvane;

namespace {
void Touch(const QString& path, qint64 size = 0)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    if (size > 0) {
        ASSERT_TRUE(f.resize(size));  // sparse: no blocks written
    }
}

struct NameCase {
    const char* name;
    int group;  // expected: 1 Normal, 0 Event, -1 rejected
};

const NameCase kNames[] = {
    {"20230101120000.MP4", 1},
    {"G20230101120000.MP4", 0},
    {"H20230101120000.MP4", 1},
    {"P20230101120000.MP4", 1},
    {"PH20230101120000.MP4", 1},
    {"20230101120000.mp4", 1},      // the extension test ignores case
    {"20230101120000.Mp4", 1},
    {"2023010112000.MP4", -1},      // stamp one digit short
    {"G2023010112000.MP4", -1},
    {"H2023010112000.MP4", -1},
    {"PH2023010112000.MP4", -1},
    {"P202301011200000.MP4", -1},   // P without H must be 19
    {"20230101120000.MOV", -1},
    {"20230101120000.MP4.part", -1}, // the extension runs from the first dot
    {"2023.0101120000.MP4", -1},
    {"X20230101120000.MP4", -1},    // unknown prefix: length must be 18
    {"G20230101120000.MP", -1},
    {"20230101120000MP4", -1},
};
} // namespace

TEST(ScanRecordings, NameRulesAndGroups)
{
    for (const NameCase& c : kNames) {
        const QString name = QString::fromLatin1(c.name);
        const bool passes = PassesNameRules(name);
        int got = -1;
        if (passes)
            got = InGroup(name, kGroupNormal) ? 1 : (InGroup(name, kGroupEvent) ? 0 : -1);
        EXPECT_EQ(got, c.group) << c.name;
    }
}

TEST(ScanRecordings, ListsGroupsInStampOrderAcrossPrefixes)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    for (const char* n : {"20230101120002.MP4", "P20230101120001.MP4", "PH20230101120000.MP4", "H20230101120001.MP4",
                          "20230101120001.MP4", "20230101115959.mp4", "G20230101120002.MP4", "G20230101120000.MP4",
                          "G20230101120001.MP4", "notes.txt", "2023010112000.MP4"})
        Touch(d + "/" + n);
    // Directories and hidden files named like recordings are not listed.
    ASSERT_TRUE(QDir(d).mkdir("20230101130000.MP4"));
    Touch(d + "/.20230101140000.MP4");
    ASSERT_TRUE(QDir(d).mkdir(".G20230101140000.MP4"));

    QStringList normal, event;
    std::uint64_t normalBytes = 1, eventBytes = 1;
    bool listed = false;
    EXPECT_EQ(ScanRecordings(d, kGroupNormal, normal, normalBytes, &listed), 6);
    EXPECT_TRUE(listed);
    EXPECT_EQ(normal, (QStringList{"20230101115959.mp4", "PH20230101120000.MP4", "20230101120001.MP4",
                                   "H20230101120001.MP4", "P20230101120001.MP4", "20230101120002.MP4"}));
    EXPECT_EQ(ScanRecordings(d, kGroupEvent, event, eventBytes), 3);
    EXPECT_EQ(event, (QStringList{"G20230101120000.MP4", "G20230101120001.MP4", "G20230101120002.MP4"}));
    EXPECT_EQ(normalBytes, 0u);
    EXPECT_EQ(eventBytes, 0u);

    QStringList all;
    std::uint64_t allBytes = 0;
    EXPECT_EQ(ScanRecordings(d, 7, all, allBytes), 9);  // any other code: every recording name
}

TEST(ScanRecordings, TotalsAddFullSizesBeyondFourGiB)
{
    QTemporaryDir dir;
    const QString d = dir.path();
    const qint64 gib = qint64(1) << 30;
    Touch(d + "/20230101120000.MP4", 3 * gib);       // two of these carry past 32 bits
    Touch(d + "/20230101120100.MP4", 3 * gib);
    Touch(d + "/H20230101120200.MP4", 5 * gib + 7);  // one file larger than 4 GiB on its own
    Touch(d + "/G20230101120000.MP4", 4 * gib);      // exactly 2^32
    Touch(d + "/G20230101120100.MP4", 1234);

    QStringList list;
    std::uint64_t total = 99;
    EXPECT_EQ(ScanRecordings(d, kGroupNormal, list, total), 3);
    EXPECT_EQ(total, std::uint64_t(11 * gib + 7));
    EXPECT_EQ(ScanRecordings(d, kGroupEvent, list, total), 2);
    EXPECT_EQ(total, std::uint64_t(4 * gib + 1234));
}

TEST(ScanRecordings, UnlistableFolderGivesEmptyListAndZeroTotal)
{
    QStringList list{"stale"};
    std::uint64_t total = 5;
    bool listed = true;
    EXPECT_EQ(ScanRecordings("/nonexistent/korvane/folder", kGroupNormal, list, total, &listed), 0);
    EXPECT_TRUE(list.isEmpty());
    EXPECT_EQ(total, 0u);
    EXPECT_FALSE(listed);

    QTemporaryDir dir;
    Touch(dir.path() + "/a-file");
    EXPECT_EQ(ScanRecordings(dir.path() + "/a-file", kGroupNormal, list, total, &listed), 0);
    EXPECT_FALSE(listed);
}

TEST(ScanRecordings, SortKeepsStampOrderForEveryPrefix)
{
    QStringList names{"G20230101120002.MP4", "G20230101120000.MP4", "G20230101120001.MP4"};
    SortRecordingNames(names);
    EXPECT_EQ(names, (QStringList{"G20230101120000.MP4", "G20230101120001.MP4", "G20230101120002.MP4"}));

    QStringList mixed{"PH20230101120000.MP4", "P20230101120000.MP4", "H20230101120000.MP4", "20230101120000.MP4"};
    SortRecordingNames(mixed);
    EXPECT_EQ(mixed.first(), "20230101120000.MP4");  // no prefix first for one stamp
    EXPECT_EQ(mixed, (QStringList{"20230101120000.MP4", "H20230101120000.MP4", "P20230101120000.MP4",
                                  "PH20230101120000.MP4"}));
}

TEST(Catalogue, PathsOfARecording)
{
    EXPECT_EQ(RecordingStem("G20230101120000.MP4"), "G20230101120000");
    EXPECT_EQ(RecordingPath("/media/card dir", "20230101120000.MP4"), "/media/card dir/20230101120000.MP4");
    EXPECT_EQ(ThumbnailPath("/w", "G20230101120000.MP4"), "/w/G20230101120000.bmp");
    EXPECT_EQ(SidecarPath("/w", "G20230101120000.MP4"), "/w/G20230101120000.GPS");
    EXPECT_EQ(SidecarPath("/w", "20230101120000.mp4"), "/w/20230101120000.GPS");
}
