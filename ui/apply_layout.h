#pragma once
// The main window's layout as a pure function: from the window size, the sizes of the labels
// that size themselves to their text, the display percentage and the loaded recording's
// duration, the bounds of every control, computed in the order the skin lays itself out.
// All figures are device pixels; the widget layer converts them to Qt's logical pixels once
// (ui/device_pixels.h) when it applies them.
#include <QRect>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace korvane {

// What a placement changes on its control.
enum class Sets { Bounds, Position, Size };

// One control's placement. `parent` names the control whose client area `rect` is relative
// to; empty for the window's client area (the area under the menu bar, status bar included).
struct ControlPlacement {
    QString name;
    QString parent;
    QRect rect;
    Sets sets = Sets::Bounds;
    std::optional<bool> visible;   // set when the layout shows or hides the control
    std::optional<QString> text;   // set when the layout gives the control a caption
};

// A rounded window region over a control's client rectangle (corner ellipses corner x corner).
struct RoundedRegion {
    QString name;
    int corner = 12;
};

// Sizes, in device pixels, of the controls whose size the layout reads but does not set.
struct LayoutInput {
    // Sizes a time label (lbT00 ... lbT06, Arial 11, sized to its text) showing `text`.
    using MeasureText = std::function<QSize(const QString& text)>;

    // Without a measure a time label is taken as 7 pixels per character by 17.
    explicit LayoutInput(MeasureText timeLabel = {}) : timeLabel_(std::move(timeLabel)) {}

    int clientWidth = 1100;      // client width of the window
    int frameWidth = 0;          // outer width minus client width (the window manager's frame)
    int clientHeight = 676;      // client height under the menu bar, status bar included
    int statusBarHeight = 20;    // stSystem
    int titleHeight = 30;        // plTitle
    QSize playButton{48, 48};    // tbStop, tbPlay, tbPause and their lit pictures tb*_On
    int playButtonGap = 10;      // between two player buttons inside tbVCR
    int seekTrackHeight = 15;    // tbVCR_Back, trunc(15 x scale) at start-up
    int seekControlHeight = 18;  // plVCRControl, trunc(18 x scale) at start-up
    QSize seekTimeLabel{50, 14}; // lbMinTime, lbMaxTime
    QSize clockLabel{56, 17};    // lbTM_START, lbTM_END ("00:00:00" in Arial 11)
    QSize gLabel{36, 17};        // lb000 ... lb100
    QSize speedTopLabel{62, 17}; // lbSP80 with its widest caption "180 Km/h"
    QSize kmhLabel{45, 23};      // lbKmh with " km/h" in Arial 15
    QSize speedLabel{50, 62};    // lbSpeed with "  -" in 40 points
    int timePanelHeight = 20;    // plTime
    int wordNormalHeight = 20;   // plWordNormal
    int wordEventHeight = 20;    // plWordEvent
    int lbT05Width = 17;         // lbT05 as it stands before the layout
    int scalePercent = 100;
    qint64 duration = 0;         // loaded recording, 100-nanosecond units; 0 when none

    // Size of a time label showing `text`.
    QSize TimeLabelSize(const QString& text) const
    {
        return timeLabel_ ? timeLabel_(text) : QSize(7 * static_cast<int>(text.size()), 17);
    }

private:
    MeasureText timeLabel_;
};

struct LayoutResult {
    std::vector<ControlPlacement> placements;   // in the order they are applied
    std::vector<RoundedRegion> regions;         // applied after every placement
    int chartColumns = 6;                       // ten-second columns of the chart

    // The last placement of a control; nullptr when the layout does not place it.
    const ControlPlacement* Find(const QString& name) const;
    // Its rectangle, or an empty one.
    QRect Rect(const QString& name) const;
    // Its rectangle in the window's client area, following the parents.
    QRect InClient(const QString& name) const;
};

// Steps of the layout in order. Bounds of a placed control replace its earlier placement.
LayoutResult ApplyLayout(const LayoutInput& in);

// Ten-second columns of the chart for a duration in 100-nanosecond units (1 to 6): seconds
// counted as the chart counts them, 0 and anything above a minute taken as a minute.
int ChartColumns(qint64 duration);

// The two video panels' bounds inside an area of w x h at the aspect ratio 1.78.
QRect FitVideo(int w, int h);

} // namespace korvane
