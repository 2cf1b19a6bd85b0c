#pragma once
// Where the main window's panels go for a given client size and display scale. Pure geometry,
// computed without widgets; the main window applies it on start-up and on every resize.
#include <QRect>

#include "ui/display_scale.h"

namespace korvane {

struct MainLayoutInput {
    int width = 1100;            // client width of the main window
    int height = 700;            // client height above the status bar's bottom
    int statusBarTop = 680;      // top of the status bar stSystem
    int titleHeight = 30;        // the black title strip plTitle
    int playButtonHeight = 50;   // tbPlay_On, which sets the information bar's height
    int playerButtonsWidth = 150;
    DisplayScale scale;
};

struct MainLayout {
    QRect plTitle;
    QRect plInformation;
    QRect plFile;
    QRect plFileControl;      // the file bar beside the grid, in plFile coordinates
    QRect plMapRoute;         // also plMapBackground and plMapCaptial
    QRect plVCRControl;
    QRect plCurve;
    QRect plVCRBackGround;
    QRect videoPanel;         // both channels' panels, in plVCRBackGround coordinates
    QRect btnEvent;           // in plInformation coordinates
    QRect btnNormal;
    QRect tbVCR;
    int seekThumbWidth = 28;
    int mapCorner = 12;
};

MainLayout ComputeMainLayout(const MainLayoutInput& in);

// Fits a 1.78 picture into a w x h area: full height and centred horizontally when the area
// is wider than that, else full width and centred vertically.
QRect FitVideoPanel(int w, int h);

} // namespace korvane
