#pragma once
// The picture a cell shows for a recording cut by power loss (no picture can be made of it): a
// torn film frame with a warning sign, painted by the viewer itself at any size.
#include <QRect>

class QPainter;

namespace korvane {

// Paints the damaged picture into `area` of the canvas.
void DrawDamagedPicture(QPainter& canvas, const QRect& area);

} // namespace korvane
