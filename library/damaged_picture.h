#pragma once
// The picture a cell shows for a recording cut by power loss (no picture can be made of it): a
// torn film frame with a warning sign, painted by the viewer itself at any size.
#include <QColor>
#include <QRect>

class QPainter;

namespace korvane {

// Paints the damaged picture into `area` of the canvas.
void DrawDamagedPicture(QPainter& canvas, const QRect& area);
// The repaired mark: a small green disc with a white tick in the top right corner of `area`
// (the picture of a repaired copy is under it).
void DrawRepairedMark(QPainter& canvas, const QRect& area);
inline const QColor kRepairedMarkColour(0, 160, 70);

} // namespace korvane
