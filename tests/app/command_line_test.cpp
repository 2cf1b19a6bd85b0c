#include <gtest/gtest.h>

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "app/command_line.h"

using korvane::MakeProcessRole;

TEST(ProcessRole, EmptyCommandLineIsTheViewer)
{
    auto role = MakeProcessRole({});
    EXPECT_FALSE(role.isKernelRole);
    EXPECT_TRUE(role.commandLineText.isEmpty());
}

TEST(ProcessRole, CallerAndIdMakeAKernel)
{
    auto role = MakeProcessRole({QStringLiteral("/CALLER:Korvane/ID:1")});
    EXPECT_TRUE(role.isKernelRole);
    EXPECT_EQ(role.commandLineText, QStringLiteral("/CALLER:Korvane/ID:1"));
}

TEST(ProcessRole, LongCommandLineIsCutTo519Characters)
{
    const QString arg = QStringLiteral("/CALLER:") + QString(592, QLatin1Char('x'));
    auto role = MakeProcessRole({arg});
    EXPECT_TRUE(role.isKernelRole);
    EXPECT_EQ(role.commandLineText.size(), 519);
    EXPECT_EQ(role.commandLineText, arg.left(519));
}

TEST(ProcessRole, ArgumentsAreJoinedWithSpaces)
{
    auto role = MakeProcessRole({QStringLiteral("/CALLER:Korvane/ID:0"), QStringLiteral("extra")});
    EXPECT_EQ(role.commandLineText, QStringLiteral("/CALLER:Korvane/ID:0 extra"));
}

TEST(ProcessRole, AFolderArgumentIsTheViewersRecordingFolder)
{
    QTemporaryDir dir;
    auto role = MakeProcessRole({dir.path() + QStringLiteral("/./")});
    EXPECT_FALSE(role.isKernelRole);
    EXPECT_TRUE(role.commandLineText.isEmpty());
    EXPECT_EQ(role.startFolder, QDir(dir.path()).canonicalPath());
    EXPECT_TRUE(role.argumentMessage.isEmpty());

    // A relative folder is taken from the current directory.
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    QDir(dir.path()).mkdir(QStringLiteral("card"));
    role = MakeProcessRole({QStringLiteral("card")});
    QDir::setCurrent(previous);
    EXPECT_EQ(role.startFolder, QDir(dir.path()).canonicalPath() + QStringLiteral("/card"));
}

TEST(ProcessRole, AnyOtherViewerArgumentIsExplainedAndLeavesTheStartDirectory)
{
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("clip.MP4")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    struct Case { QStringList arguments; const char* says; };
    const Case cases[] = {
        {{dir.filePath(QStringLiteral("missing"))}, "does not exist"},
        {{file.fileName()}, "not a folder"},
        {{dir.path(), dir.path()}, "takes one argument"},
        {{QStringLiteral("nonsense")}, "does not exist"},
        {{QStringLiteral("/CALLER-Korvane/ID:1")}, "does not exist"},
        {{QString()}, "does not exist"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(qPrintable(c.arguments.join(QLatin1Char('|'))));
        auto role = MakeProcessRole(c.arguments);
        EXPECT_FALSE(role.isKernelRole);
        EXPECT_TRUE(role.startFolder.isEmpty());
        EXPECT_TRUE(role.argumentMessage.contains(QLatin1String(c.says))) << qPrintable(role.argumentMessage);
        EXPECT_TRUE(role.argumentMessage.contains(QLatin1String("start directory")));
    }
}

TEST(ProcessRole, AnUnreadableFolderIsExplained)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root reads every folder";
    QTemporaryDir dir;
    const QString locked = dir.filePath(QStringLiteral("locked"));
    QDir().mkdir(locked);
    QFile::setPermissions(locked, QFileDevice::Permissions());
    auto role = MakeProcessRole({locked});
    QFile::setPermissions(locked, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_TRUE(role.startFolder.isEmpty());
    EXPECT_TRUE(role.argumentMessage.contains(QLatin1String("cannot be read")));
}
