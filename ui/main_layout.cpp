#include "ui/main_layout.h"

namespace korvane {

QRect FitVideoPanel(int w, int h)
{
    constexpr double kAspect = 1.78;
    if (h > 0 && static_cast<double>(w) / h > kAspect) {
        int width = static_cast<int>(h * kAspect);
        return QRect(static_cast<int>(0.5 * (w - width)), 0, width, h);
    }
    int height = static_cast<int>(w / kAspect);
    return QRect(0, static_cast<int>(0.5 * (h - height) - 1), w, height);
}

MainLayout ComputeMainLayout(const MainLayoutInput& in)
{
    const double s = in.scale.displayScale;
    const int s8 = in.scale.s8;
    const int s5 = in.scale.s5;
    MainLayout l;
    l.plTitle = QRect(0, 0, in.width, in.titleHeight);

    const int infoHeight = in.playButtonHeight;
    l.plInformation = QRect(0, in.statusBarTop - 1 - infoHeight, in.width, infoHeight);

    const int fileH = 2 * in.scale.cellHeight + 5;
    const int fileW = 3 * in.scale.cellWidth + 10;
    l.plFile = QRect(in.width - 15 - fileW - s8, l.plInformation.top() - fileH - s5, fileW, fileH);
    const int barW = Scaled(18, s);
    l.plFileControl = QRect(fileW - barW, 0, barW, fileH);

    l.seekThumbWidth = Scaled(28, s);
    l.mapCorner = Scaled(12, s);

    const int mapTop = l.plTitle.height() + 5;
    l.plMapRoute = QRect(l.plFile.left(), mapTop, l.plFile.width(), l.plFile.top() - 8 - mapTop);

    const int controlL = s8 - 10;
    l.plVCRControl = QRect(controlL, l.plFile.top() + l.plFile.height() / 4,
                           l.plFile.left() + 10 - controlL - s8, Scaled(18, s));

    const int curveH = l.plInformation.top() - l.plVCRControl.top() - l.plVCRControl.height();
    l.plCurve = QRect(s8, l.plInformation.top() - curveH, l.plMapRoute.left() - s8 - s8, curveH);

    l.plVCRBackGround = QRect(s8, l.plMapRoute.top(), l.plMapRoute.left() - 2 * s8,
                              l.plVCRControl.top() - l.plMapRoute.top());
    l.videoPanel = FitVideoPanel(l.plVCRBackGround.width(), l.plVCRBackGround.height());

    const int btnH = Scaled(40, s);
    const int btnT = static_cast<int>((infoHeight - btnH) * 0.5 + s);
    l.btnEvent = QRect(static_cast<int>(50 * s + l.plFile.left()), btnT, static_cast<int>(btnH * 2.9), btnH);
    l.btnNormal = QRect(static_cast<int>(10 * s + l.btnEvent.width() + l.btnEvent.left()), btnT,
                        l.btnEvent.width(), btnH);
    l.tbVCR = QRect(static_cast<int>((in.width - in.playerButtonsWidth) * 0.35), -5,
                    in.playerButtonsWidth, infoHeight);
    return l;
}

} // namespace korvane
