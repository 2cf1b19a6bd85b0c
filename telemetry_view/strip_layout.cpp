// The chart strip's geometry; see strip_layout.h.
#include "telemetry_view/strip_layout.h"

#include <algorithm>

namespace korvane {
namespace {
int Trunc(double v) { return static_cast<int>(v); }
} // namespace

StripLayout ComputeStripLayout(QSize curve, double scale, int scalePercent, const StripLabelSizes& sz)
{
    StripLayout l;
    l.timeTop = curve.height() - 5 - sz.timeLabel.height();
    const int speedLeft = Trunc(curve.width() - sz.speedAxis80.width() - 145 * scale + 20);
    const double a = l.timeTop - sz.timeLabel.height();
    const int k = l.timeTop - sz.clockLabel.height();
    const double q = 0.25 * k;
    for (int row = 0; row < 5; ++row) {
        l.gLabels[row] = QPoint(0, Trunc(a - row * q + 5));
        l.speedLabels[row] = QPoint(speedLeft, l.gLabels[row].y());
    }
    const int r = Trunc(speedLeft - 35 - 30 * scale);
    int left = 45;
    int width = r;
    switch (scalePercent) {
    case 120: left = 55; break;
    case 125: left = 60; width = r - 8; break;
    case 140: left = 65; width = r - 10; break;
    case 150: left = Trunc(35 + 35 * scale); width = r - 20; break;
    case 160: left = 75; width = r - 30; break;
    case 175: left = 80; width = r - 30; break;
    default: break;
    }
    const int top = Trunc(l.gLabels[4].y() + 0.5 * sz.axisLabel.height() + 2);
    l.plImage = QRect(left, top, std::max(width, 0), std::max(k, 0));
    l.timeZeroLeft = Trunc(left + 0.4 * sz.timeLabel05.width());
    l.clockStart = QPoint(left, -2);
    l.clockEnd = QPoint(l.plImage.width() + left - sz.clockEnd.width(), -2);

    l.kmh = QRect(curve.width() - 10 - sz.kmh.width(), l.gLabels[2].y() + 5, sz.kmh.width(), sz.kmh.height());
    l.speed = QRect(l.kmh.left() - sz.speed.width(), l.kmh.bottom() + 1 + 10 - sz.speed.height(), sz.speed.width(),
                    sz.speed.height());

    l.imgGPS = QRect(0, 0, Trunc(60 * scale), Trunc(31 * scale));
    l.gpsPanel = QRect(l.imgGPS.width() - 10, 2, Trunc(60 * scale), Trunc(36 * scale));
    const QRect box = l.imgGPS.united(l.gpsPanel);
    l.plGPS = QRect(Trunc(l.speed.left() - 10 * scale), l.kmh.bottom() + 1 + 1, box.right() + 1, box.bottom() + 1);
    return l;
}

int TimeLabelLeft(const QRect& plImage, double anchorX, int labelWidth)
{
    return Trunc(plImage.left() + anchorX - 0.4 * labelWidth);
}

} // namespace korvane
