// ApplyLayout: the main window's panels placed step by step from the window size, in the
// order the skin lays itself out (a step may read what an earlier one placed).
#include "ui/apply_layout.h"

#include <cmath>

#include "ui/display_scale.h"
#include "ui/layout_builder.h"

namespace korvane {

using layout_detail::Builder;
using layout_detail::Trunc;

namespace {
constexpr double kVideoAspect = 1.78;
constexpr int kSeekTrackLeft = 10;   // the seek track's left edge inside plVCRControl
constexpr double kUnitsPerSecond = 10010000.0;   // how the viewer counts kernel time units

QString N(const char* name) { return QString::fromLatin1(name); }
} // namespace

const ControlPlacement* LayoutResult::Find(const QString& name) const
{
    for (const ControlPlacement& p : placements)
        if (p.name == name)
            return &p;
    return nullptr;
}

QRect LayoutResult::Rect(const QString& name) const
{
    const ControlPlacement* p = Find(name);
    return p ? p->rect : QRect();
}

QRect LayoutResult::InClient(const QString& name) const
{
    const ControlPlacement* p = Find(name);
    if (!p)
        return QRect();
    QRect r = p->rect;
    for (const ControlPlacement* parent = Find(p->parent); parent; parent = Find(parent->parent))
        r.translate(parent->rect.topLeft());
    return r;
}

int ChartColumns(qint64 duration)
{
    int seconds = static_cast<int>(std::ceil(static_cast<double>(duration) / kUnitsPerSecond));
    if (seconds <= 0 || seconds > 60)
        seconds = 60;
    return (seconds + 9) / 10;
}

QRect FitVideo(int w, int h)
{
    if (h > 0 && static_cast<double>(w) / h > kVideoAspect) {
        const int width = Trunc(h * kVideoAspect);
        return QRect(Trunc(0.5 * (w - width)), 0, width, h);
    }
    const int height = Trunc(w / kVideoAspect);
    return QRect(0, Trunc(0.5 * (h - height) - 1), w, height);
}

LayoutResult ApplyLayout(const LayoutInput& in)
{
    LayoutResult result;
    Builder b(result);
    const DisplayScale ds = MakeDisplayScale(in.scalePercent);
    const double s = ds.displayScale;
    const int s8 = ds.s8;
    const int s5 = ds.s5;
    const int windowWidth = in.clientWidth + in.frameWidth;
    const QString client;

    // The fixed strips: the title along the top, the status bar along the bottom.
    b.Place(N("plTitle"), client, QRect(0, 0, in.clientWidth, in.titleHeight)).text = QStringLiteral("PC VIEWER");
    const QRect status(0, in.clientHeight - in.statusBarHeight, in.clientWidth, in.statusBarHeight);
    b.Place(N("stSystem"), client, status);

    // 1. Controls that only exist to take focus or to check the network stay out of sight.
    b.Place(N("mmDummy"), client, QRect(-1000, 0, 0, 0), Sets::Position);
    b.Place(N("wbInternetChecker"), client, QRect(-1000, -1000, 0, 0), Sets::Position);
    b.Place(N("wbUpdateChecker"), client, QRect(-1000, -1000, 0, 0), Sets::Position);

    // 2. Information bar, as high as the lit play button, just above the status bar.
    const int infoH = in.playButton.height();
    const QRect info(0, status.top() - 1 - infoH, in.clientWidth, infoH);
    b.Place(N("plInformation"), client, info);

    // 3. Thumbnail grids at the lower right, with their file bars at the grids' right edge.
    const int fileH = 2 * ds.cellHeight + 5;
    const int fileW = 3 * ds.cellWidth + 10;
    const QRect file(windowWidth - 15 - fileW - s8, info.top() - fileH - s5, fileW, fileH);
    b.Place(N("plFile"), client, file);
    const int barW = Trunc(18 * s);
    for (const char* group : {"Normal", "Event"}) {
        const QString g = QString::fromLatin1(group);
        b.Place(QStringLiteral("sbFile_") + g, N("plFile"), QRect(0, 0, fileW, fileH));
        const QString control = QStringLiteral("plFileControl_") + g;
        b.Place(control, N("plFile"), QRect(fileW - barW, 0, barW, fileH));
        b.Place(QStringLiteral("tbFile_Back_") + g, control, QRect(0, 0, barW, fileH));
    }

    // 4. Seek thumb, as high as the seek track.
    b.Place(N("tbVCRThumb"), N("plVCRControl"), QRect(0, 0, Trunc(28 * s), in.seekTrackHeight), Sets::Size);

    // 5. Maps above the grids, under the title strip, all three panels in one place.
    const int mapT = in.titleHeight + 5;
    const QRect map(file.left(), mapT, file.width(), file.top() - 8 - mapT);
    const QRect mapInside(0, 0, map.width(), map.height());
    b.Place(N("plMapRoute"), client, map);
    b.Place(N("plMapBackground"), client, map);
    b.Place(N("plMapCaptial"), client, map);
    b.Place(N("wbRoute"), N("plMapRoute"), mapInside);
    b.Place(N("wbCaptial"), N("plMapCaptial"), mapInside);
    b.Place(N("imgCaptial"), N("plMapBackground"), mapInside);
    const int mapCorner = Trunc(12 * s);
    for (const char* name : {"plMapRoute", "plMapCaptial", "plMapBackground", "plFile", "plTime"})
        b.Round(N(name), mapCorner);

    // 6. Seek bar under the video, its left end tucked under the window's edge.
    const int controlL = s8 - 10;
    const QRect control(controlL, file.top() + file.height() / 4, file.left() + 10 - controlL - s8,
                        in.seekControlHeight);
    b.Place(N("plVCRControl"), client, control);
    b.Place(N("lbMinTime"), N("plVCRControl"),
            QRect(QPoint(kSeekTrackLeft + 10, in.seekTrackHeight), in.seekTimeLabel), Sets::Position);
    b.Place(N("lbMaxTime"), N("plVCRControl"),
            QRect(QPoint(control.width() - 40, in.seekTrackHeight), in.seekTimeLabel), Sets::Position);

    // 7. Chart cursor and its G read-out at the top of the plot (left edges move with playback).
    b.Place(N("spVelocity"), N("plImage"), QRect(0, 0, 0, 0), Sets::Position).visible = true;
    b.Place(N("lbAcceleration"), N("plImage"), QRect(0, 5, 0, 0), Sets::Position);

    // 8. Group words centred on the selector pictures. The pictures have the size step 12
    //    gives them: they are built at it, and step 12 never changes it for one scale.
    const int selectorH = Trunc(40 * s);
    const int selectorW = Trunc(selectorH * 2.9);
    b.Place(N("plWordNormal"), N("btnNormal"),
            QRect(0, Trunc(0.5 * (selectorH - in.wordNormalHeight) - s), selectorW, in.wordNormalHeight));
    b.Place(N("plWordEvent"), N("btnEvent"),
            QRect(0, Trunc(0.5 * (selectorH - in.wordEventHeight) - s), selectorW, in.wordEventHeight));

    // 9. Player buttons a third of the way along the information bar.
    const int gap = in.playButtonGap;
    const int vcrW = 3 * in.playButton.width() + 2 * gap;
    b.Place(N("tbVCR"), N("plInformation"), QRect(Trunc((info.width() - vcrW) * 0.35), -5, vcrW, infoH));

    // 10. Chart strip between the seek bar and the information bar.
    const int curveH = info.top() - control.top() - control.height();
    const QRect curve(s8, info.top() - curveH, map.left() - s8 - s8, curveH);
    b.Place(N("plCurve"), client, curve);

    // 11. The chart's inside.
    layout_detail::LayoutChart(b, in, s);

    // 12. Group selectors beside the grids' left edge, centred in the information bar.
    const QRect event(Trunc(50 * s + file.left()), Trunc((infoH - selectorH) * 0.5 + s), selectorW, selectorH);
    const QRect normal(Trunc(10 * s + event.width() + event.left()), event.top(), selectorW, selectorH);
    b.Place(N("btnEvent"), N("plInformation"), event);
    b.Place(N("btnNormal"), N("plInformation"), normal);
    const QRect selectorInside(0, 0, selectorW, selectorH);
    b.Place(N("imgNormal"), N("btnNormal"), selectorInside);
    b.Place(N("imgNormalGray"), N("btnNormal"), selectorInside);
    b.Place(N("imgEvent"), N("btnEvent"), selectorInside);
    b.Place(N("imgEventGray"), N("btnEvent"), selectorInside);

    // 13. Route strip at the left end of the information bar.
    b.Place(N("plRoute"), N("plInformation"), QRect(0, event.top(), 150, event.height()));

    // 14. Video area at the upper left; both channels' panels fitted at 1.78, one over the other.
    const QRect video(s8, map.top(), map.left() - 2 * s8, control.top() - map.top());
    b.Place(N("plVCRBackGround"), client, video);
    const QRect panel = FitVideo(video.width(), video.height());
    b.Place(N("plVCR1"), N("plVCRBackGround"), panel);
    b.Place(N("plVCR2"), N("plVCRBackGround"), panel);
    b.Place(N("imgVCR1"), N("plVCR1"), QRect(0, 0, panel.width(), panel.height()));
    b.Place(N("imgVCR2"), N("plVCR2"), QRect(0, 0, panel.width(), panel.height()));

    // 15. Progress mark in the middle of the video, clock text at its upper left.
    b.Place(N("plProgress"), N("plVCRBackGround"), QRect(panel.width() / 2, panel.height() / 2, 0, 0), Sets::Position);
    b.Place(N("plTime"), N("plVCRBackGround"), 
            QRect(panel.left(), panel.top() + 10, Trunc(180 * s), in.timePanelHeight));

    // 16. and 17. Player buttons, each lit picture exactly on its base picture.
    const char* buttons[][2] = {{"tbStop", "tbStop_On"}, {"tbPlay", "tbPlay_On"}, {"tbPause", "tbPause_On"}};
    for (int i = 0; i < 3; ++i) {
        const QRect r(QPoint(i * (in.playButton.width() + gap), 6), in.playButton);
        b.Place(N(buttons[i][0]), N("tbVCR"), r);
        b.Place(N(buttons[i][1]), N("tbVCR"), r);
    }

    // 18. Rounded corners of the bars and the video area.
    const int corner = static_cast<int>(std::lround(12 * s));
    for (const char* name : {"tbFile_Back_Normal", "tbFile_Back_Event", "tbVCRThumb", "tbFileThumb_Normal",
                             "tbFileThumb_Event", "plVCRControl", "plVCRBackGround", "tbVCR_Back"})
        b.Round(N(name), corner);
    return result;
}

} // namespace korvane
