#pragma once
// The one conversion between the layout's device pixels and Qt's logical pixels. Qt scales
// logical pixels by the screen's devicePixelRatio itself, so a device-pixel figure applied
// unconverted would be scaled twice.
#include <QRect>
#include <QSize>

namespace korvane {

// A device-pixel coordinate in logical pixels, rounded to the nearest.
int ToLogical(int devicePixels, double devicePixelRatio);
// Edges are converted, so rectangles that touch in device pixels still touch.
QRect ToLogical(const QRect& device, double devicePixelRatio);
QSize ToLogical(const QSize& device, double devicePixelRatio);

// The factor that turns a figure of the design at 100 % into logical pixels: the display
// scale less the part Qt already applies.
double LogicalScale(double displayScale, double devicePixelRatio);

// A logical size measured by Qt (a label's text) in device pixels, rounded to the nearest.
QSize ToDevice(const QSize& logical, double devicePixelRatio);

} // namespace korvane
