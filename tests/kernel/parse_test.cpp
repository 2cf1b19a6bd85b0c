#include "kernel/kernel_runtime.h"

#include <gtest/gtest.h>

using namespace korvane;

TEST(KernelCommandLine, ParsesCallerAndId)
{
    struct Case { QString text; bool ok; QString caller; int id; };
    const Case cases[] = {
        {QStringLiteral("/CALLER:Korvane/ID:1"), true, QStringLiteral("Korvane"), 1},
        {QStringLiteral("/CALLER:Korvane/ID:0"), true, QStringLiteral("Korvane"), 0},
        {QStringLiteral("/CALLER:Korvane/ID:2"), true, QStringLiteral("Korvane"), 2},
        {QStringLiteral("/CALLER:Korvane/ID:3"), true, QStringLiteral("Korvane"), 3},  // a moment's other channel
        {QStringLiteral("/CALLER:Korvane/ID:11"), true, QStringLiteral("Korvane"), 11},  // refused by the mapping
        {QStringLiteral("/CALLER:Korvane/ID:12abc"), false, QStringLiteral("Korvane"), 0},
        {QStringLiteral("/CALLER:Korvane/ID:"), false, QStringLiteral("Korvane"), 0},
        {QStringLiteral("/CALLER:Korvane/ID:-1"), false, QStringLiteral("Korvane"), 0},
        {QStringLiteral("/CALLER:Korvane/ID:+1"), false, QStringLiteral("Korvane"), 0},
        {QStringLiteral("/CALLER:Korvane/ID: 1"), false, QStringLiteral("Korvane"), 0},
        {QStringLiteral("/CALLER:a:b/ID:2"), true, QStringLiteral("a:b"), 2},
        {QString(), false, QString(), 0},
        {QStringLiteral("/"), false, QString(), 0},
        {QStringLiteral("/CALLER-Korvane/ID:1"), false, QString(), 0},
        {QStringLiteral("/CALLER:Korvane"), false, QStringLiteral("Korvane"), 0},
        {QStringLiteral("/CALLER:Korvane/ID1"), false, QStringLiteral("Korvane"), 0},
        {QStringLiteral("/CALLER:Korvane/ID:99999999999"), false, QStringLiteral("Korvane"), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        KernelRuntime runtime(nullptr, nullptr, nullptr);
        EXPECT_EQ(runtime.ParseKernelCommandLine(c.text), c.ok);
        EXPECT_EQ(runtime.callerName, c.caller);
        if (c.ok) {
            EXPECT_EQ(runtime.kernelId, c.id);
        }
    }
}

TEST(KernelCommandLine, CallerNameIsCutTo519Characters)
{
    KernelRuntime runtime(nullptr, nullptr, nullptr);
    ASSERT_TRUE(runtime.ParseKernelCommandLine(QStringLiteral("/CALLER:") + QString(600, QLatin1Char('k')) +
                                               QStringLiteral("/ID:1")));
    EXPECT_EQ(runtime.callerName.size(), 519);
    EXPECT_EQ(runtime.kernelId, 1);
}
