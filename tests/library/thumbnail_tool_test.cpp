// The thumbnail tool from the card is never run, names are never patterns, and only a real
// picture counts as a thumbnail.
#include "library/library_texts.h"
#include "library/recording_library.h"
#include "library/thumbnail_tool.h"
#include "platform/file_name_bytes.h"
#include "test_host.h"
#include "test_recordings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

using namespace korvane;
using namespace korvane::test;

namespace {
// An executable script that leaves `marker` when run.
QString PlantTool(const QString& folder, const QString& marker)
{
    const QString path = folder + "/ffmpeg";
    QFile script(path);
    if (!script.open(QIODevice::WriteOnly))
        return {};
    script.write(("#!/bin/sh\ntouch '" + marker + "'\n").toUtf8());
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

class ThumbnailToolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(SmallMp4().isEmpty()) << "ffmpeg could not make the test recording";
        SetMessageSink(&messages);
        library = std::make_unique<RecordingLibrary>(host, 1.0, &host.window);
        // The start folder and the recording folder are the card.
        library->SetFolders(card.path(), card.path());
        ASSERT_TRUE(library->PrepareWorkingFolder(cache.path()));
    }
    void TearDown() override
    {
        library.reset();
        SetMessageSink(nullptr);
    }
    void RunPass(int timeoutMs = 60000)
    {
        library->OpenRecordingFolder(card.path());
        ASSERT_TRUE(WaitFor([&] { return host.menus.contains(true); }, timeoutMs)) << "the pass did not end";
    }

    TestHost host;
    RecordingMessages messages;
    QTemporaryDir card, cache, outside;
    std::unique_ptr<RecordingLibrary> library;
};
} // namespace

TEST(ThumbnailToolLookup, BesideTheExecutableThenAbsolutePathEntriesOnly)
{
    QTemporaryDir install, cwd, outside;
    const QString marker = outside.path() + "/ran";
    const QString installed = PlantTool(install.path(), marker);
    EXPECT_EQ(FindThumbnailTool(install.path()), installed);

    // "." and an empty entry name the current folder, which is the card; they are skipped.
    PlantTool(cwd.path(), marker);
    const QString before = QDir::currentPath();
    const QByteArray path = qgetenv("PATH");
    ASSERT_TRUE(QDir::setCurrent(cwd.path()));
    qputenv("PATH", ".::bin:" + path);
    const QString found = FindThumbnailTool(QString());
    qputenv("PATH", path);
    QDir::setCurrent(before);
    EXPECT_FALSE(found.startsWith(cwd.path())) << found.toStdString();
    EXPECT_TRUE(QDir::isAbsolutePath(found)) << found.toStdString();
}

TEST_F(ThumbnailToolTest, AToolOnTheCardIsNeverRun)
{
    const QString marker = outside.path() + "/ran";
    ASSERT_FALSE(PlantTool(card.path(), marker).isEmpty());
    ASSERT_TRUE(CopyRecordings(card.path(), {StampName(0)}));
    RunPass();
    EXPECT_FALSE(QFile::exists(marker));
    EXPECT_EQ(library->Catalogue().normalShown, QStringList{StampName(0)});
}

TEST_F(ThumbnailToolTest, APercentNameIsNeverAPattern)
{
    // ffmpeg would read "%04d" as a picture sequence and write 20230101120001.bmp.
    const QString name = "2023010112%04d.MP4";
    ASSERT_TRUE(CopyRecordings(card.path(), {name}));
    RunPass();
    const QString folder = library->Catalogue().workingFolder;
    EXPECT_EQ(library->Catalogue().normalShown, QStringList{name});
    EXPECT_TRUE(IsUsableThumbnail(ThumbnailPath(folder, name)));
    EXPECT_EQ(QDir(folder).entryList({"*.bmp"}, QDir::Files), QStringList{"2023010112%04d.bmp"});
}

// A tool that leaves something that is not a picture (a full disk leaves 0 bytes).
class BadPicture : public ThumbnailToolTest, public testing::WithParamInterface<const char*> {};

TEST_P(BadPicture, IsNotAThumbnail)
{
    const QString tool = outside.path() + "/bad-tool";
    QFile script(tool);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QByteArray("#!/bin/sh\nfor last; do :; done\nprintf '") + GetParam() +
                 "' > \"${last#file:}\"\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    library->Pass().SetToolOverride(tool);
    ASSERT_TRUE(CopyRecordings(card.path(), {StampName(0)}));
    RunPass();
    const RecordingCatalogue& c = library->Catalogue();
    EXPECT_TRUE(c.normalShown.isEmpty());
    EXPECT_EQ(c.normalMissing, QStringList{StampName(0)});
    EXPECT_FALSE(QFile::exists(ThumbnailPath(c.workingFolder, StampName(0))));
}

INSTANTIATE_TEST_SUITE_P(Contents, BadPicture, testing::Values("", "BM not a picture"));

TEST_F(ThumbnailToolTest, AZeroBytePictureIsMadeAgain)
{
    ASSERT_TRUE(CopyRecordings(card.path(), {StampName(0)}));
    const QString bmp = ThumbnailPath(library->Catalogue().workingFolder, StampName(0));
    QFile empty(bmp);
    ASSERT_TRUE(empty.open(QIODevice::WriteOnly));
    empty.close();
    RunPass();
    EXPECT_EQ(library->Catalogue().normalShown, QStringList{StampName(0)});
    EXPECT_TRUE(IsUsableThumbnail(bmp));
}

TEST_F(ThumbnailToolTest, ANameThatIsNotUtf8GetsItsPictureAndLeavesNoLink)
{
    ASSERT_TRUE(CopyRecordings(card.path(), {StampName(0)}));
    const QByteArray bytes = QFile::encodeName(card.path()) + "/20230101\xFF\xFE" "0000.MP4";
    // QTemporaryDir cannot remove a name it cannot decode: the file goes by its bytes first.
    const auto removeFile = qScopeGuard([&] { ::unlink(bytes.constData()); });
    ASSERT_EQ(::rename(QFile::encodeName(card.path() + "/" + StampName(0)).constData(), bytes.constData()), 0);
    RunPass();
    const RecordingCatalogue& c = library->Catalogue();
    ASSERT_EQ(c.normalShown.size(), 1);
    EXPECT_TRUE(c.normalMissing.isEmpty());
    EXPECT_EQ(EncodeFileNameBytes(RecordingPath(c.recordingFolder, c.normalShown[0])), bytes);
    EXPECT_TRUE(QDir(c.workingFolder).entryList({".input-*"}, QDir::AllEntries | QDir::Hidden | QDir::System).isEmpty());
}
