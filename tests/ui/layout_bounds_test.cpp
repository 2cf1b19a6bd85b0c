// At every display percentage and from the smallest window up, no control of the layout lies
// outside the window and no two controls that the skin keeps apart overlap.
#include <gtest/gtest.h>

#include <QMap>
#include <QStringList>

#include "layout_input.h"
#include "ui/skin.h"

using namespace korvane;

namespace {
struct Window {
    int percent;
    int extraWidth, extraHeight;   // over the smallest window
};

void PrintTo(const Window& w, std::ostream* os)
{
    *os << w.percent << "% +" << w.extraWidth << "x" << w.extraHeight;
}

// The client area of a window of the start-up size: the menu bar takes trunc(24 x scale).
LayoutInput InputFor(const Window& w)
{
    const double s = ScaleFromPercent(w.percent);
    const QSize start = StartupWindowSize(s);
    return MakeInput(w.percent, start.width() + w.extraWidth, start.height() - static_cast<int>(24 * s) + w.extraHeight);
}

std::vector<Window> Windows()
{
    std::vector<Window> windows;
    for (int percent : {100, 120, 125, 140, 150, 160, 175})
        for (QSize extra : {QSize(0, 0), QSize(1, 1), QSize(500, 0), QSize(0, 500), QSize(1337, 731)})
            windows.push_back({percent, extra.width(), extra.height()});
    return windows;
}

QString Describe(const QRect& r)
{
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.left()).arg(r.top()).arg(r.width()).arg(r.height());
}

void ExpectApart(const LayoutResult& r, const QStringList& names, const QString& parent,
                 const QMap<QString, QRect>& replaced = {})
{
    for (int i = 0; i < names.size(); ++i) {
        for (int j = i + 1; j < names.size(); ++j) {
            const QRect a = replaced.value(names[i], r.Rect(names[i]));
            const QRect b = replaced.value(names[j], r.Rect(names[j]));
            EXPECT_FALSE(a.intersects(b)) << qPrintable(parent) << ": " << qPrintable(names[i]) << qPrintable(Describe(a))
                                          << " overlaps " << qPrintable(names[j]) << qPrintable(Describe(b));
        }
    }
}
} // namespace

class LayoutBounds : public ::testing::TestWithParam<Window> {};

TEST_P(LayoutBounds, EveryShownControlLiesInsideTheWindow)
{
    const LayoutInput in = InputFor(GetParam());
    const LayoutResult r = ApplyLayout(in);
    const QRect window(0, 0, in.clientWidth, in.clientHeight);
    const QStringList offScreen = {"mmDummy", "wbInternetChecker", "wbUpdateChecker"};
    for (const ControlPlacement& p : r.placements) {
        if (offScreen.contains(p.name)) {
            EXPECT_FALSE(window.intersects(QRect(r.InClient(p.name).topLeft(), QSize(20, 20)))) << qPrintable(p.name);
            continue;
        }
        if (p.visible == false || p.sets == Sets::Size)
            continue;
        // What shows of a control is what its parents leave of it.
        QRect rect = r.InClient(p.name);
        for (QString parent = p.parent; !parent.isEmpty(); parent = r.Find(parent)->parent)
            rect &= r.InClient(parent);
        if (p.name == QLatin1String("plVCRControl"))
            rect.adjust(10, 0, -10, 0);   // the seek track; the container reaches under the edge
        if (rect.isEmpty())
            continue;   // a position-only placement of a control sized elsewhere
        EXPECT_TRUE(window.contains(rect)) << qPrintable(p.name) << qPrintable(Describe(rect)) << " outside "
                                           << qPrintable(Describe(window));
    }
}

TEST_P(LayoutBounds, PanelsTheSkinKeepsApartDoNotOverlap)
{
    const LayoutInput in = InputFor(GetParam());
    const LayoutResult r = ApplyLayout(in);
    // The seek bar is judged by its track, which sits 10 pixels in from both ends.
    const QRect control = r.Rect("plVCRControl");
    const QRect track(control.left() + 10, control.top(), control.width() - 20, in.seekTrackHeight);
    ExpectApart(r, {"plTitle", "plVCRBackGround", "plVCRControl", "plCurve", "plMapRoute", "plFile", "plInformation", "stSystem"},
                QStringLiteral("window"), {{QStringLiteral("plVCRControl"), track}});
    ExpectApart(r, {"plRoute", "tbVCR", "btnEvent", "btnNormal"}, QStringLiteral("plInformation"));
    ExpectApart(r, {"tbStop", "tbPlay", "tbPause"}, QStringLiteral("tbVCR"));

    // The chart: the plot with the G column and the time row, and the plot with the speed
    // column and the read-outs. (From 140 % on, the last time label reaches under the lowest
    // speed label, as the skin's figures place them.)
    QStringList timeRow = {"plImage", "lb000", "lb025", "lb050", "lb075", "lb100"};
    for (int i = 1; i <= r.chartColumns; ++i)
        timeRow << QStringLiteral("lbT%1").arg(i, 2, 10, QLatin1Char('0'));
    ExpectApart(r, timeRow, QStringLiteral("plCurve"));
    const QStringList speedColumn = {"plImage", "lbSP00", "lbSP20", "lbSP40", "lbSP60", "lbSP80", "lbKmh", "plGPS"};
    ExpectApart(r, speedColumn, QStringLiteral("plCurve"));
    const QRect curve(QPoint(0, 0), r.Rect("plCurve").size());
    for (const QString& name : timeRow + speedColumn + QStringList{"lbSpeed", "lbT00"})
        EXPECT_TRUE(curve.contains(r.Rect(name))) << qPrintable(name) << qPrintable(Describe(r.Rect(name)));
}

INSTANTIATE_TEST_SUITE_P(ScalesAndSizes, LayoutBounds, ::testing::ValuesIn(Windows()));
