#include <gtest/gtest.h>

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
    const QString arg(600, QLatin1Char('x'));
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
