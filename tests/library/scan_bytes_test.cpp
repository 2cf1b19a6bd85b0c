// A recording whose name is not UTF-8 or holds a line break is listed under a name that still
// leads to its file.
#include "library/catalogue.h"
#include "library/recording_scan.h"
#include "platform/file_name_bytes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>

using namespace korvane;

TEST(ScanBytes, ListedNamesLeadToTheirFiles)
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path());
    // QTemporaryDir cannot remove names it cannot decode: the folder goes by its bytes.
    const auto removeFolder = qScopeGuard([&] { std::filesystem::remove_all(folder.toStdString()); });
    const QByteArray names[] = {"20230101\xFF\xFE" "0000.MP4", "2023010112\n000.MP4", "20230101120000.MP4"};
    for (const QByteArray& n : names) {
        std::FILE* f = std::fopen((folder + "/" + n).constData(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("x", f);
        std::fclose(f);
    }
    QStringList list;
    std::uint64_t total = 0;
    ASSERT_EQ(ScanRecordings(dir.path(), kGroupNormal, list, total), 3);
    EXPECT_EQ(total, 3u);
    QList<QByteArray> listed;
    for (const QString& name : list) {
        EXPECT_TRUE(IsRegularFileName(RecordingPath(dir.path(), name))) << name.toStdString();
        listed.append(EncodeFileNameBytes(name));
    }
    for (const QByteArray& n : names)
        EXPECT_TRUE(listed.contains(n)) << n.toStdString();
}
