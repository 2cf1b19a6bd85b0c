// A dry run of the layout on the real main window: measured from the window, computed and
// applied by name, the panels the window has land where the layout puts them, inside the
// window and apart from each other.
#include <gtest/gtest.h>

#include <QApplication>
#include <QStatusBar>

#include "ui/apply_layout.h"
#include "ui/device_pixels.h"
#include "ui/display_scale.h"
#include "ui/layout_applier.h"
#include "ui/main_window.h"
#include "ui/skin.h"

using namespace korvane;

TEST(MainWindowLayout, ThePanelsOfTheWindowTakeTheirPlaces)
{
    // Without Qt's scaling both percentages are tried; with it, the screen's own.
    const double screenRatio = qApp->devicePixelRatio();
    QList<int> percents = {100, 150};
    if (screenRatio != 1.0)
        percents = {PercentFromScreen(screenRatio, 96.0)};
    for (int percent : percents) {
        SCOPED_TRACE(percent);
        TfrmMain window;
        const double ratio = window.devicePixelRatioF();
        window.resize(ToLogical(StartupWindowSize(ScaleFromPercent(percent)), ratio));
        window.show();
        QApplication::processEvents();
        QWidget& central = *window.centralWidget();
        const LayoutInput in = MeasureLayoutInput(window, central, percent, 0, ratio);
        // In device pixels the window is the design's start-up size, whatever Qt's own scaling.
        EXPECT_EQ(in.clientWidth, StartupWindowSize(ScaleFromPercent(percent)).width());
        EXPECT_EQ(ToDevice(window.size(), ratio), StartupWindowSize(ScaleFromPercent(percent)));
        EXPECT_EQ(in.statusBarHeight, ToDevice(QSize(0, window.stSystem->height()), ratio).height());
        const LayoutResult layout = ApplyLayout(in);
        ApplyPlacements(central, layout, ratio);
        ApplyRoundedRegions(central, layout, ratio);

        const QRect client(0, 0, central.width(), central.height() + window.stSystem->height());
        QList<QWidget*> panels = {window.plTitle, window.plVCRBackGround, window.plCurve, window.plMapBackground,
                                  window.plFile, window.plInformation};
        for (QWidget* panel : panels) {
            EXPECT_EQ(panel->geometry(), ToLogical(layout.Rect(panel->objectName()), ratio)) << qPrintable(panel->objectName());
            EXPECT_TRUE(client.contains(panel->geometry())) << qPrintable(panel->objectName());
            for (QWidget* other : panels) {
                if (other != panel) {
                    EXPECT_FALSE(panel->geometry().intersects(other->geometry()))
                        << qPrintable(panel->objectName()) << " " << qPrintable(other->objectName());
                }
            }
        }
        EXPECT_EQ(window.plVCR1->geometry(), ToLogical(layout.Rect("plVCR1"), ratio));
        EXPECT_EQ(window.tbVCR->geometry(), ToLogical(layout.Rect("tbVCR"), ratio));
        EXPECT_FALSE(window.plFile->mask().isEmpty());
    }
}
