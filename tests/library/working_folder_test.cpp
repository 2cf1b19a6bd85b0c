// The working folder is the viewer's own: never on the card, never through a link, emptied at
// start-up, and only of the names the viewer writes.
#include "library/working_folder.h"
#include "platform/private_folder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

using namespace korvane;

namespace {
void Touch(const QString& path)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write("x");
}

QStringList Entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Sets an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : name_(name), old_(qgetenv(name)), had_(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }

private:
    const char* name_;
    QByteArray old_;
    bool had_;
};
} // namespace

TEST(WorkingFolderSafety, LeftoversOfAnEarlierRunArePurgedAtStartUp)
{
    QTemporaryDir cache, card;
    const QString folder = cache.path() + "/KorvaneData";
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0700), 0);
    Touch(folder + "/20230101120000.bmp");  // an old card's picture after a killed viewer
    Touch(folder + "/20230101120000.GPS");
    Touch(folder + "/FileReport.log");
    const auto prepared = PrepareWorkingFolder(card.path(), cache.path());
    ASSERT_TRUE(prepared);
    const QString made = *prepared;
    EXPECT_EQ(made, folder);
    EXPECT_TRUE(Entries(folder).isEmpty()) << Entries(folder).join(',').toStdString();
}

TEST(WorkingFolderSafety, WiderModeIsNarrowedTo0700)
{
    QTemporaryDir cache, card;
    const QString folder = cache.path() + "/KorvaneData";
    ASSERT_TRUE(QDir().mkdir(folder));
    ASSERT_EQ(::chmod(QFile::encodeName(folder).constData(), 0777), 0);
    const auto prepared = PrepareWorkingFolder(card.path(), cache.path());
    ASSERT_TRUE(prepared);
    const QString made = *prepared;
    EXPECT_TRUE(IsPrivateFolder(QFile::encodeName(made).toStdString()));
}

TEST(WorkingFolderSafety, NoCacheHomeFallsBackOutsideTheCard)
{
    QTemporaryDir card, tmp;
    ScopedEnv runtime("XDG_RUNTIME_DIR", "relative/run");  // relative: ignored
    ScopedEnv tmpdir("TMPDIR", QFile::encodeName(tmp.path()));
    const auto prepared = PrepareWorkingFolder(card.path(), QString());
    ASSERT_TRUE(prepared);
    const QString made = *prepared;
    EXPECT_TRUE(made.startsWith(tmp.path() + "/korvane-data-")) << made.toStdString();
    EXPECT_TRUE(IsPrivateFolder(QFile::encodeName(made).toStdString()));
    EXPECT_TRUE(Entries(card.path()).isEmpty());
}

TEST(WorkingFolderSafety, RelativeCacheHomeOrHomeIsIgnored)
{
    ScopedEnv xdg("XDG_CACHE_HOME", "card-relative");
    {
        ScopedEnv home("HOME", "also-relative");
        EXPECT_TRUE(XdgCacheHome().isEmpty());
    }
    ScopedEnv home("HOME", "/home/someone");
    EXPECT_EQ(XdgCacheHome(), "/home/someone/.cache");
}

// A link where the working folder should be: its target keeps every file, whatever the names.
TEST(WorkingFolderSafety, ALinkIsNeverFollowedOrPurged)
{
    QTemporaryDir cache, elsewhere, card, runtime;
    const QStringList precious{"holiday.BMP", "route.gps", "a.bmp.keep", "tax.GPSX", "20230101120000.bmp", "x.GPS",
                               "FileReport.log"};
    for (const QString& n : precious)
        Touch(elsewhere.path() + "/" + n);
    const QString link = cache.path() + "/KorvaneData";
    ASSERT_TRUE(QFile::link(elsewhere.path(), link));
    EXPECT_EQ(PurgeWorkingFolder(link), 0);

    ScopedEnv run("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const auto prepared = PrepareWorkingFolder(card.path(), cache.path());
    ASSERT_TRUE(prepared);
    const QString made = *prepared;
    EXPECT_NE(made, link);
    EXPECT_EQ(made, runtime.path() + "/KorvaneData");
    PurgeWorkingFolder(made);
    EXPECT_EQ(Entries(elsewhere.path()).size(), precious.size());
}

TEST(WorkingFolderSafety, AFolderThatIsNotPrivateIsNeverPurged)
{
    QTemporaryDir dir;
    Touch(dir.path() + "/20230101120000.bmp");
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    EXPECT_EQ(PurgeWorkingFolder(dir.path()), 0);
    EXPECT_EQ(Entries(dir.path()), QStringList{"20230101120000.bmp"});
}

struct NameCase {
    const char* name;
    bool viewers;
};

class WorkingFileName : public testing::TestWithParam<NameCase> {};

TEST_P(WorkingFileName, IsDeletedOnlyWhenTheViewerWritesSuchNames)
{
    QTemporaryDir dir;
    Touch(dir.path() + "/" + GetParam().name);
    EXPECT_EQ(IsWorkingFileName(GetParam().name), GetParam().viewers);
    PurgeWorkingFolder(dir.path());
    EXPECT_EQ(QFile::exists(dir.path() + "/" + GetParam().name), !GetParam().viewers);
}

INSTANTIATE_TEST_SUITE_P(Names, WorkingFileName,
                         testing::Values(NameCase{"20230101120000.bmp", true}, NameCase{"G20230101120000.GPS", true},
                                         NameCase{"FileReport.log", true}, NameCase{"holiday.BMP", false},
                                         NameCase{"route.gps", false}, NameCase{"a.bmp.keep", false},
                                         NameCase{"tax.GPSX", false}, NameCase{".bmp", false},
                                         NameCase{"notes.txt", false}));
