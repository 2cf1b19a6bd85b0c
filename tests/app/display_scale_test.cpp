#include <gtest/gtest.h>

#include "platform/language_id.h"
#include "ui/display_scale.h"
#include "ui/show_centered.h"

using namespace korvane;

TEST(DisplayScale, PercentTable)
{
    struct Case { int percent; double scale; int cellW; int cellH; };
    const Case cases[] = {
        {100, 1.0, 110, 100}, {120, 1.2, 132, 120}, {125, 1.25, 137, 125}, {130, 1.0, 110, 100},
        {140, 1.4, 154, 140}, {150, 1.5, 165, 150}, {160, 1.6, 176, 160}, {175, 1.75, 192, 175},
        {200, 1.0, 110, 100},
    };
    for (const Case& c : cases) {
        DisplayScale s = MakeDisplayScale(c.percent);
        EXPECT_DOUBLE_EQ(s.displayScale, c.scale) << c.percent;
        EXPECT_EQ(s.cellWidth, c.cellW) << c.percent;
        EXPECT_EQ(s.cellHeight, c.cellH) << c.percent;
    }
}

TEST(DisplayScale, PercentFromScreen)
{
    EXPECT_EQ(PercentFromScreen(1.0, 96), 100);
    EXPECT_EQ(PercentFromScreen(1.0, 120), 125);
    EXPECT_EQ(PercentFromScreen(2.0, 84), 175);
}

TEST(ShowCentered, IntegerHalvesTruncateTowardZero)
{
    EXPECT_EQ(CenteredPosition(QRect(0, 0, 401, 300), QSize(300, 100)), QPoint(50, 100));
    EXPECT_EQ(CenteredPosition(QRect(0, 0, 199, 100), QSize(300, 100)), QPoint(-50, 0));
}

TEST(LanguageId, FromLocale)
{
    struct Case { const char* locale; unsigned id; };
    const Case cases[] = {
        {"ja_JP.UTF-8", 0x411}, {"en_US.UTF-8", 0x409}, {"en_GB", 0x809}, {"zh_CN.UTF-8", 0x804},
        {"zh_TW", 0x404}, {"ko_KR", 0x412}, {"de_DE@euro", 0x407}, {"fr_FR", 0x40C}, {"C", 0x409},
        {"POSIX", 0x409}, {"C.UTF-8", 0x409},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LanguageIdFromLocale(c.locale), c.id) << c.locale;
}
