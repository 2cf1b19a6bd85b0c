// Start-up size and position, the skin's colours and fonts, and the one device-to-logical
// pixel conversion.
#include <gtest/gtest.h>

#include "ui/device_pixels.h"
#include "ui/display_scale.h"
#include "ui/skin.h"

using namespace korvane;

TEST(Skin, StartupSizeIsTheScaledDesignSize)
{
    struct { int percent; QSize size; } cases[] = {
        {100, {1100, 700}}, {120, {1320, 840}}, {125, {1375, 875}}, {130, {1100, 700}},
        {140, {1540, 979}}, {150, {1650, 1050}}, {160, {1760, 1120}}, {175, {1925, 1225}}};
    // 700 x 1.4 is 979.999... in floating point and truncates to 979.
    for (const auto& c : cases)
        EXPECT_EQ(StartupWindowSize(ScaleFromPercent(c.percent)), c.size) << c.percent;
}

TEST(Skin, WindowStartsCentred)
{
    EXPECT_EQ(CentredOnScreen(QSize(1920, 1080), QSize(1100, 700)), QPoint(410, 190));
    EXPECT_EQ(CentredOnScreen(QSize(1601, 1001), QSize(1100, 700)), QPoint(250, 150));
    // A screen smaller than the window puts it above and left of the screen's origin.
    EXPECT_EQ(CentredOnScreen(QSize(1024, 600), QSize(1100, 700)), QPoint(-38, -50));
}

TEST(Skin, ColoursOfThePanels)
{
    auto colour = [](const char* name) {
        for (const PanelColour& c : SkinColours())
            if (c.name == QLatin1String(name))
                return c.colour;
        return QColor();
    };
    EXPECT_EQ(colour("frmMain"), QColor(93, 93, 93));
    EXPECT_EQ(colour("plCurve"), QColor(93, 93, 93));
    EXPECT_EQ(colour("plFile"), QColor(0, 0, 0));
    EXPECT_EQ(colour("btnNormal"), QColor(0, 0, 0));
    EXPECT_EQ(colour("plTime"), QColor(160, 160, 164));
    EXPECT_EQ(colour("tbVCR_Front"), QColor(0, 160, 212));
    EXPECT_EQ(colour("tbFile_Back_Event"), QColor(74, 74, 74));
}

TEST(Skin, FontTable)
{
    auto font = [](const char* name) -> const FontSpec* {
        for (const FontSpec& f : SkinFonts())
            if (f.name == QLatin1String(name))
                return &f;
        return nullptr;
    };
    ASSERT_NE(font("lbGPS"), nullptr);
    EXPECT_EQ(font("lbGPS")->face, std::optional<QString>("BANKGOTHIC LT BT"));
    EXPECT_EQ(font("lbGPS")->pointSize, std::optional<int>(16));
    EXPECT_EQ(font("lbSpeed")->pointSize, std::optional<int>(40));
    EXPECT_FALSE(font("lbSpeed")->face.has_value());
    EXPECT_EQ(font("lb050")->colour, std::optional<QColor>(QColor(16, 183, 253)));
    EXPECT_EQ(font("lbSP80")->colour, std::optional<QColor>(QColor(70, 167, 89)));
    EXPECT_TRUE(font("lbT03")->centredToText);
    EXPECT_EQ(font("lbAcceleration")->colour, std::optional<QColor>(QColor(255, 255, 0)));
}

TEST(DevicePixels, TheDesignSizeAtOneAndAHalfIsTheLogicalDesignSize)
{
    EXPECT_EQ(ToLogical(QSize(1650, 1050), 1.5), QSize(1100, 700));
    EXPECT_EQ(ToLogical(QRect(12, 50, 1094, 625), 1.5), QRect(8, 33, 729, 417));
    EXPECT_EQ(ToLogical(QRect(3, 4, 5, 6), 1.0), QRect(3, 4, 5, 6));
    EXPECT_EQ(ToLogical(-1000, 1.25), -800);
    EXPECT_EQ(ToDevice(QSize(17, 11), 1.75), QSize(30, 19));
    EXPECT_EQ(ToLogical(QSize(7, 7), 0.0), QSize(7, 7));   // no screen: taken as 1
}

TEST(DevicePixels, RectanglesThatTouchStillTouch)
{
    for (double ratio : {1.2, 1.25, 1.4, 1.5, 1.6, 1.75, 2.0}) {
        for (int x = 0; x < 40; ++x) {
            const QRect a = ToLogical(QRect(x, 0, 7, 5), ratio);
            const QRect b = ToLogical(QRect(x + 7, 5, 9, 5), ratio);
            EXPECT_EQ(a.left() + a.width(), b.left()) << ratio << " " << x;
            EXPECT_EQ(a.top() + a.height(), b.top()) << ratio << " " << x;
        }
    }
}
