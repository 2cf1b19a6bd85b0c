#pragma once
// Where the parts of the chart strip go inside plCurve: the plot plImage, the axis labels, the
// clock labels, the speed read-out and the GPS box. Pure geometry from the strip's size, the
// display scale and the sizes of the labels as their fonts make them; the one place these
// positions are computed.
#include <QRect>
#include <QSize>
#include <array>

namespace korvane {

struct StripLabelSizes {
    QSize timeLabel;   // lbT00 (all time labels have its height)
    QSize timeLabel05; // lbT05, which sets lbT00's offset
    QSize clockLabel;  // lbTM_START
    QSize clockEnd;    // lbTM_END
    QSize axisLabel;   // lb100 (all G labels have its height)
    QSize speedAxis80; // lbSP80
    QSize kmh;         // lbKmh with " km/h"
    QSize speed;       // lbSpeed
};

struct StripLayout {
    QRect plImage;
    int timeTop = 0;                      // top of every time label
    int timeZeroLeft = 0;                 // lbT00
    std::array<QPoint, 5> gLabels;        // lb000 .. lb100
    std::array<QPoint, 5> speedLabels;    // lbSP00 .. lbSP80
    QPoint clockStart;                    // lbTM_START
    QPoint clockEnd;                      // lbTM_END
    QRect kmh;                            // lbKmh
    QRect speed;                          // lbSpeed; its right edge meets lbKmh
    QRect plGPS;                          // the GPS box
    QRect imgGPS;                         // inside plGPS
    QRect gpsPanel;                       // plGPS_YES and plGPS_NO, inside plGPS
    int cursorTop = 0;                    // spVelocity, inside plImage
    int gLabelTop = 5;                    // lbAcceleration, inside plImage
};

StripLayout ComputeStripLayout(QSize curve, double scale, int scalePercent, const StripLabelSizes& sizes);

// Left edge of a time label whose anchor lies anchorX right of the plot's left edge.
int TimeLabelLeft(const QRect& plImage, double anchorX, int labelWidth);

} // namespace korvane
