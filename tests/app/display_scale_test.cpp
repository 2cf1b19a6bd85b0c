#include <gtest/gtest.h>

#include "platform/language_id.h"
#include "ui/display_scale.h"
#include "ui/main_layout.h"
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

TEST(Layout, VideoPanelKeepsItsAspect)
{
    // Wide area: full height, centred horizontally.
    QRect wide = FitVideoPanel(1000, 400);
    EXPECT_EQ(wide, QRect(144, 0, 712, 400));
    // Tall area: full width, centred vertically (half the slack minus one).
    QRect tall = FitVideoPanel(356, 400);
    EXPECT_EQ(tall.width(), 356);
    EXPECT_EQ(tall.height(), 200);
    EXPECT_EQ(tall.top(), 99);
}

TEST(Layout, GridsSitAboveTheInformationBar)
{
    MainLayoutInput in;
    in.width = 1100;
    in.statusBarTop = 680;
    in.playButtonHeight = 50;
    in.scale = MakeDisplayScale(100);
    MainLayout l = ComputeMainLayout(in);
    EXPECT_EQ(l.plInformation.top(), 629);
    EXPECT_EQ(l.plFile, QRect(737, 419, 340, 205));
    EXPECT_EQ(l.plMapRoute, QRect(737, 35, 340, 376));
    EXPECT_EQ(l.plVCRControl.top(), 470);
    EXPECT_EQ(l.plCurve.bottom() + 1, l.plInformation.top());
    EXPECT_EQ(l.plVCRBackGround, QRect(8, 35, 721, 435));
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
