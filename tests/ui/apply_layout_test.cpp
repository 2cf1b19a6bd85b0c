// ApplyLayout's figures: the panels at every display percentage and at several window sizes,
// the wide and tall video areas, and the chart's time labels for several recording lengths.
#include <gtest/gtest.h>

#include <QMap>
#include <QStringList>

#include "layout_input.h"

using namespace korvane;

namespace {
struct PanelCase {
    int percent, width, height;
    QRect file, map, control, curve, video, panel, event, normal, vcr, plot;
};

// Computed by hand from the layout's formulas (client sizes in device pixels).
const PanelCase kPanels[] = {
    {100, 1100, 676, {737, 397, 340, 205}, {737, 35, 340, 354}, {-2, 448, 741, 18}, {8, 466, 721, 141}, {8, 35, 721, 413}, {0, 3, 721, 405}, {787, 5, 116, 40}, {913, 5, 116, 40}, {327, -5, 164, 48}, {45, 15, 469, 102}},
    {120, 1320, 816, {890, 483, 406, 245}, {890, 41, 406, 434}, {-1, 544, 892, 21}, {9, 565, 872, 169}, {9, 41, 872, 503}, {0, 6, 872, 489}, {950, 5, 139, 48}, {1101, 5, 139, 48}, {395, -5, 191, 57}, {55, 17, 573, 124}},
    {125, 1375, 850, {929, 503, 421, 255}, {929, 42, 421, 453}, {0, 566, 929, 22}, {10, 588, 909, 176}, {10, 42, 909, 524}, {0, 6, 909, 510}, {991, 6, 145, 50}, {1148, 6, 145, 50}, {411, -5, 200, 60}, {60, 17, 589, 129}},
    {140, 1540, 952, {1042, 564, 472, 285}, {1042, 47, 472, 509}, {1, 635, 1040, 25}, {11, 660, 1020, 196}, {11, 47, 1020, 588}, {0, 6, 1020, 573}, {1112, 6, 162, 56}, {1288, 6, 162, 56}, {461, -5, 221, 67}, {65, 18, 664, 145}},
    {150, 1650, 1014, {1118, 599, 505, 305}, {1118, 50, 505, 541}, {2, 675, 1114, 27}, {12, 702, 1094, 209}, {12, 50, 1094, 625}, {0, 4, 1094, 614}, {1193, 7, 174, 60}, {1382, 7, 174, 60}, {494, -5, 236, 72}, {87, 19, 703, 154}},
    {160, 1760, 1084, {1195, 642, 538, 325}, {1195, 53, 538, 581}, {2, 723, 1191, 28}, {12, 751, 1171, 224}, {12, 53, 1171, 670}, {0, 5, 1171, 657}, {1275, 7, 185, 64}, {1476, 7, 185, 64}, {529, -5, 248, 76}, {75, 20, 747, 165}},
    {175, 1925, 1189, {1310, 706, 586, 355}, {1310, 57, 586, 641}, {4, 794, 1302, 31}, {14, 825, 1282, 244}, {14, 57, 1282, 737}, {0, 7, 1282, 720}, {1397, 8, 203, 70}, {1617, 8, 203, 70}, {578, -5, 272, 84}, {80, 21, 822, 181}},
    // A percentage outside the table lays out as 100 %.
    {130, 1100, 676, {737, 397, 340, 205}, {737, 35, 340, 354}, {-2, 448, 741, 18}, {8, 466, 721, 141}, {8, 35, 721, 413}, {0, 3, 721, 405}, {787, 5, 116, 40}, {913, 5, 116, 40}, {327, -5, 164, 48}, {45, 15, 469, 102}},
    // Wide video area: full height, centred horizontally.
    {100, 1600, 700, {1237, 421, 340, 205}, {1237, 35, 340, 378}, {-2, 472, 1241, 18}, {8, 490, 1221, 141}, {8, 35, 1221, 437}, {222, 0, 777, 437}, {1287, 5, 116, 40}, {1413, 5, 116, 40}, {502, -5, 164, 48}, {45, 15, 969, 102}},
    // Tall video area: full width, centred vertically.
    {100, 1100, 1000, {737, 721, 340, 205}, {737, 35, 340, 678}, {-2, 772, 741, 18}, {8, 790, 721, 141}, {8, 35, 721, 737}, {0, 165, 721, 405}, {787, 5, 116, 40}, {913, 5, 116, 40}, {327, -5, 164, 48}, {45, 15, 469, 102}},
};
} // namespace

class PanelTable : public ::testing::TestWithParam<PanelCase> {};

TEST_P(PanelTable, PanelsSitWhereTheFormulasPutThem)
{
    const PanelCase& c = GetParam();
    const LayoutResult r = ApplyLayout(MakeInput(c.percent, c.width, c.height));
    EXPECT_EQ(r.Rect("plFile"), c.file);
    EXPECT_EQ(r.Rect("plMapRoute"), c.map);
    EXPECT_EQ(r.Rect("plMapCaptial"), c.map);
    EXPECT_EQ(r.Rect("plMapBackground"), c.map);
    EXPECT_EQ(r.Rect("plVCRControl"), c.control);
    EXPECT_EQ(r.Rect("plCurve"), c.curve);
    EXPECT_EQ(r.Rect("plVCRBackGround"), c.video);
    EXPECT_EQ(r.Rect("plVCR1"), c.panel);
    EXPECT_EQ(r.Rect("plVCR2"), c.panel);
    EXPECT_EQ(r.Rect("btnEvent"), c.event);
    EXPECT_EQ(r.Rect("btnNormal"), c.normal);
    EXPECT_EQ(r.Rect("tbVCR"), c.vcr);
    EXPECT_EQ(r.Rect("plImage"), c.plot);
}

INSTANTIATE_TEST_SUITE_P(ScalesAndSizes, PanelTable, ::testing::ValuesIn(kPanels));

TEST(ApplyLayout, FileBarsAndSelectorsFollowTheScale)
{
    const LayoutResult r = ApplyLayout(MakeInput(150, 1650, 1014));
    EXPECT_EQ(r.Rect("plFileControl_Normal"), QRect(505 - 27, 0, 27, 305));
    EXPECT_EQ(r.Rect("plFileControl_Event"), r.Rect("plFileControl_Normal"));
    EXPECT_EQ(r.Rect("tbVCRThumb").size(), QSize(42, 22));
    EXPECT_EQ(r.Rect("imgNormalGray"), QRect(0, 0, 174, 60));
    EXPECT_EQ(r.Rect("imgEvent"), QRect(0, 0, 174, 60));
    // Words centred on the pictures, raised by the scale: trunc(0.5 x (60 - 30) - 1.5).
    EXPECT_EQ(r.Rect("plWordNormal"), QRect(0, 13, 174, 30));
    EXPECT_EQ(r.Rect("plRoute"), QRect(0, 7, 150, 60));
    EXPECT_EQ(r.Rect("plTime"), QRect(0, 14, 270, 30));
    EXPECT_EQ(r.Rect("plProgress").topLeft(), QPoint(547, 307));
    EXPECT_EQ(r.Rect("lbMaxTime").topLeft(), QPoint(1114 - 40, 22));
    EXPECT_EQ(r.Rect("lbMinTime").topLeft(), QPoint(20, 22));
    EXPECT_EQ(r.Rect("mmDummy").left(), -1000);
    EXPECT_EQ(r.Rect("wbUpdateChecker").topLeft(), QPoint(-1000, -1000));
    for (const char* lit : {"tbPlay", "tbPause", "tbStop"}) {
        const QString base = QString::fromLatin1(lit);
        EXPECT_EQ(r.Rect(base + QStringLiteral("_On")), r.Rect(base)) << lit;
        EXPECT_EQ(r.Rect(base).top(), 6);
    }
}

TEST(ApplyLayout, RoundedRegionsTruncateForPanelsAndRoundForBars)
{
    const LayoutResult r = ApplyLayout(MakeInput(140, 1540, 952));
    auto corner = [&](const char* name) {
        for (const RoundedRegion& region : r.regions)
            if (region.name == QLatin1String(name))
                return region.corner;
        return -1;
    };
    EXPECT_EQ(corner("plMapRoute"), 16);   // trunc(16.8)
    EXPECT_EQ(corner("plTime"), 16);
    EXPECT_EQ(corner("plFile"), 16);
    EXPECT_EQ(corner("plVCRBackGround"), 17);   // 16.8 rounded
    EXPECT_EQ(corner("tbVCR_Back"), 17);
    EXPECT_EQ(corner("tbFileThumb_Event"), 17);
    EXPECT_EQ(r.regions.size(), 13u);
}

namespace {
struct TimeCase {
    qint64 duration;   // 100-nanosecond units
    int columns;
    QStringList texts;   // lbT01 ... the last shown
};
const TimeCase kTimes[] = {
    {0, 6, {"10", "20", "30", "40", "50", "60s"}},
    {250000000, 3, {"10", "20", "30s"}},
    {600000000, 6, {"10", "20", "30", "40", "50", "60s"}},
    {350000000, 4, {"10", "20", "30", "40s"}},
    {10000000, 1, {"10s"}},
    {900000000, 6, {"10", "20", "30", "40", "50", "60s"}},   // over a minute: a minute
    // 50.03 s is 50 of the viewer's seconds (10 010 000 units each), as the chart counts.
    {500300000, 5, {"10", "20", "30", "40", "50s"}},
};
} // namespace

class TimeLabels : public ::testing::TestWithParam<TimeCase> {};

TEST_P(TimeLabels, OneLabelPerColumnTheLastWithItsUnit)
{
    const TimeCase& c = GetParam();
    const LayoutResult r = ApplyLayout(MakeInput(100, 1100, 676, c.duration));
    EXPECT_EQ(r.chartColumns, c.columns);
    EXPECT_EQ(ChartColumns(c.duration), c.columns);
    const QRect plot = r.Rect("plImage");   // {45, 15, 469, 102}
    const double step = 469.0 / c.columns;
    EXPECT_EQ(r.Find("lbT00")->visible, std::optional<bool>(true));
    EXPECT_EQ(r.Rect("lbT00").left(), 45 + static_cast<int>(0.4 * 14));   // lbT05 was 14 wide
    for (int i = 1; i <= 6; ++i) {
        const ControlPlacement* p = r.Find(QStringLiteral("lbT%1").arg(i, 2, 10, QLatin1Char('0')));
        ASSERT_NE(p, nullptr);
        EXPECT_EQ(p->visible, std::optional<bool>(i <= c.columns)) << i;
        EXPECT_EQ(p->rect.top(), 141 - 5 - 17);
        if (i > c.columns)
            continue;
        const QString text = c.texts[i - 1];
        EXPECT_EQ(p->text, std::optional<QString>(text)) << i;
        EXPECT_EQ(p->rect.left(), static_cast<int>(plot.left() + step * i - 0.4 * 7 * text.size())) << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Durations, TimeLabels, ::testing::ValuesIn(kTimes));

TEST(ApplyLayout, ChartLabelRowsAndReadOuts)
{
    const LayoutResult r = ApplyLayout(MakeInput(100, 1100, 676));
    // A = K = 119 - 17 = 102, q = 25.5: rows at trunc(102 - i x 25.5 + 5).
    const int rows[] = {107, 81, 56, 30, 5};
    const char* g[] = {"lb000", "lb025", "lb050", "lb075", "lb100"};
    const char* sp[] = {"lbSP00", "lbSP20", "lbSP40", "lbSP60", "lbSP80"};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(r.Rect(g[i]).topLeft(), QPoint(0, rows[i]));
        EXPECT_EQ(r.Rect(sp[i]).topLeft(), QPoint(721 - 62 - 145 + 20, rows[i]));
    }
    EXPECT_EQ(r.Rect("imgCurve"), QRect(0, 0, 5 * 469, 5 * 102 - 100));
    EXPECT_EQ(r.Rect("lbKmh").topLeft(), QPoint(721 - 10 - 45, 61));
    EXPECT_EQ(r.Find("lbKmh")->text, std::optional<QString>(" km/h"));
    EXPECT_EQ(r.Rect("lbSpeed").topLeft(), QPoint(666 - 50, 61 + 23 + 10 - 62));
    EXPECT_EQ(r.Find("lbSpeed")->text, std::optional<QString>("  -"));
    EXPECT_EQ(r.Rect("plGPS").topLeft(), QPoint(606, 85));
    EXPECT_EQ(r.Rect("plGPS_NO"), QRect(50, 2, 60, 36));
    EXPECT_EQ(r.Rect("plGPS_YES"), r.Rect("plGPS_NO"));
    EXPECT_EQ(r.Rect("imgGPS"), QRect(0, 0, 60, 31));
    EXPECT_EQ(r.Rect("lbTM_START").topLeft(), QPoint(45, -2));
    EXPECT_EQ(r.Rect("lbTM_END").topLeft(), QPoint(45 + 469 - 56, -2));
    EXPECT_EQ(r.Rect("lbAcceleration").top(), 5);
    EXPECT_EQ(r.Find("spVelocity")->visible, std::optional<bool>(true));
}

TEST(ApplyLayout, PlotColumnsFollowTheDisplayPercentage)
{
    struct { int percent; int left; int widthLessR; } cases[] = {
        {100, 45, 0}, {120, 55, 0}, {125, 60, 8}, {140, 65, 10}, {150, 87, 20}, {160, 75, 30}, {175, 80, 30}, {200, 45, 0}};
    for (const auto& c : cases) {
        const LayoutResult r = ApplyLayout(MakeInput(c.percent, 2000, 1300));
        const double s = ScaleFromPercent(c.percent);
        const int speedL = static_cast<int>(r.Rect("plCurve").width() - static_cast<int>(62 * s) - 145 * s + 20);
        const int R = static_cast<int>(speedL - 35 - 30 * s);
        EXPECT_EQ(r.Rect("plImage").left(), c.left) << c.percent;
        EXPECT_EQ(r.Rect("plImage").width(), R - c.widthLessR) << c.percent;
    }
}
