// The real viewer's window at the display's scale while a recording plays: the design's
// start-up size in device pixels, centred, and every control inside the window and apart from
// the controls the design keeps apart. Run once at Qt's scale 1 and once with QT_SCALE_FACTOR=1.5.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QStatusBar>
#include <QTest>

#include "app/app_shell.h"
#include "player/playback_channel.h"
#include "player/playback_controller.h"
#include "telemetry_view/chart_strip.h"
#include "ui/device_pixels.h"
#include "ui/display_scale.h"
#include "ui/main_window.h"
#include "ui/skin.h"
#include "viewer_harness.h"

using namespace korvane;

namespace {
const QString kCard = QStringLiteral(KORVANE_PLAYER_FIXTURES "/card");

QWidget* Control(TfrmMain& window, const QString& name)
{
    if (name == QLatin1String("stSystem"))
        return window.stSystem;
    return window.findChild<QWidget*>(name);
}

// A control's rectangle in the window's coordinates.
QRect InWindow(TfrmMain& window, QWidget* w)
{
    return QRect(w->mapTo(&window, QPoint(0, 0)), w->size());
}

// Checks that no two of `names` overlap.
void ExpectApart(TfrmMain& window, const QStringList& names)
{
    for (int i = 0; i < names.size(); ++i) {
        QWidget* a = Control(window, names[i]);
        ASSERT_NE(a, nullptr) << qPrintable(names[i]);
        for (int j = i + 1; j < names.size(); ++j) {
            QWidget* b = Control(window, names[j]);
            ASSERT_NE(b, nullptr) << qPrintable(names[j]);
            EXPECT_FALSE(InWindow(window, a).intersects(InWindow(window, b)))
                << qPrintable(names[i]) << " " << qPrintable(names[j]);
        }
    }
}
} // namespace

TEST(ViewerLayout, TheWindowOpensAtTheDesignSizeAndKeepsEveryControlInside)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the X display of the test script";
    ViewerHarness v(kCard);
    ASSERT_TRUE(v.WaitForThumbnails());
    PlaybackController& p = v.player();
    v.DoubleClick(v.NormalCell(0));
    ASSERT_TRUE(QTest::qWaitFor([&] { return p.State() == PlayState::Playing && v.shell().Busy().IsIdle(); }, 8000));
    QTest::qWait(300);

    TfrmMain& window = v.window();
    const double ratio = window.devicePixelRatioF();
    const QSize design = StartupWindowSize(ScaleFromPercent(PrimaryScreenPercent()));
    // Qt's scale 1.5 means 150 %: 1650 x 1050 device pixels, not the design size scaled twice.
    if (qgetenv("QT_SCALE_FACTOR") == "1.5")
        EXPECT_EQ(design, QSize(1650, 1050));
    else
        EXPECT_EQ(design, QSize(1100, 700));
    EXPECT_EQ(ToDevice(window.size(), ratio), design);
    EXPECT_EQ(window.minimumSize(), window.size());
    const QScreen* screen = window.screen();
    EXPECT_EQ(window.geometry().topLeft(),
              screen->geometry().topLeft() + CentredOnScreen(screen->geometry().size(), window.size()));

    // The chart's time labels follow the recording: the fixtures are a few seconds long.
    auto* lastTime = window.findChild<QWidget*>(QStringLiteral("lbT01"));
    ASSERT_NE(lastTime, nullptr);
    EXPECT_TRUE(lastTime->isVisible());

    const QRect client = window.rect();
    QStringList inside = {"plTitle", "plVCRBackGround", "plVCR1", "plCurve", "plImage", "lbT00", "lbT01",
                          "lb000", "lb025", "lb050", "lb075", "lb100", "lbSP00", "lbSP20", "lbSP40", "lbSP60",
                          "lbSP80", "lbKmh", "lbSpeed", "plGPS", "lbTM_START", "lbTM_END", "plMapBackground",
                          "plMapRoute", "plMapCaptial", "plFile", "plInformation", "tbVCR", "tbStop", "tbPlay",
                          "tbPause", "btnEvent", "btnNormal", "imgNormal", "imgEvent", "plTime", "stSystem"};
    for (const QString& name : inside) {
        QWidget* w = Control(window, name);
        ASSERT_NE(w, nullptr) << qPrintable(name);
        EXPECT_FALSE(w->size().isEmpty()) << qPrintable(name);
        EXPECT_TRUE(client.contains(InWindow(window, w))) << qPrintable(name) << " at "
            << InWindow(window, w).x() << "," << InWindow(window, w).y() << " " << w->width() << "x" << w->height();
    }
    // The seek bar's left end is tucked under the window's left edge by 10 - trunc(8 x scale)
    // device pixels; the rest of it lies inside.
    const QRect seek = InWindow(window, window.plVCRControl);
    const int s8 = MakeDisplayScale(PrimaryScreenPercent()).s8;
    EXPECT_EQ(seek.left(), ToLogical(s8 - 10, ratio));
    EXPECT_TRUE(client.contains(seek.adjusted(-seek.left(), 0, 0, 0)));

    // The panels of the window, the seek bar against the video, chart and maps, the parts of the
    // chart strip, and the buttons of the information bar lie apart.
    ExpectApart(window, {"plTitle", "plVCRBackGround", "plCurve", "plMapBackground", "plFile", "plInformation",
                         "stSystem"});
    ExpectApart(window, {"plVCRControl", "plVCRBackGround", "plCurve", "plMapBackground", "plTitle"});
    ExpectApart(window, {"plImage", "lb000", "lb025", "lb050", "lb075", "lb100"});
    ExpectApart(window, {"plImage", "lbSP00", "lbSP20", "lbSP40", "lbSP60", "lbSP80"});
    ExpectApart(window, {"plImage", "lbT00", "lbT01", "lbKmh", "plGPS"});
    ExpectApart(window, {"lbSpeed", "lbKmh"});
    ExpectApart(window, {"tbStop", "tbPlay", "tbPause", "btnEvent", "btnNormal"});
    EXPECT_TRUE(InWindow(window, window.plVCRBackGround).contains(InWindow(window, window.plVCR1)));

    // The grid's file bar stands at the grid's right edge, its track rounded.
    QWidget* track = window.findChild<QWidget*>(QStringLiteral("tbFile_Back_Normal"));
    ASSERT_NE(track, nullptr);
    EXPECT_EQ(InWindow(window, track).right(), InWindow(window, window.plFile).right());
    EXPECT_EQ(InWindow(window, track).height(), window.plFile->height());
    EXPECT_FALSE(track->mask().isEmpty());

    // A resize lays the window out again and draws the chart at the plot's new width: the grids
    // keep their distance from the right edge, the chart strip takes the width gained.
    auto* plot = window.findChild<QWidget*>(QStringLiteral("plImage"));
    const int plotBefore = plot->width();
    const int rightGap = ToLogical(15 + s8, ratio);
    EXPECT_NEAR(window.width() - InWindow(window, window.plFile).right() - 1, rightGap, 1);
    window.resize(window.size() + QSize(200, 100));
    ASSERT_TRUE(QTest::qWaitFor([&] { return plot->width() > plotBefore; }, 3000));
    EXPECT_NEAR(window.width() - InWindow(window, window.plFile).right() - 1, rightGap, 1);
    EXPECT_NEAR(plot->width() - plotBefore, 200, 2);
    EXPECT_EQ(window.findChild<ChartImage*>(QStringLiteral("plImage"))->image.width(), plot->width());
    ExpectApart(window, {"plTitle", "plVCRBackGround", "plCurve", "plMapBackground", "plFile", "plInformation",
                         "stSystem"});
}
