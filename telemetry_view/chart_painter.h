#pragma once
// Puts a computed chart on an image with QPainter, without antialiasing, so that every pixel
// carries one of the chart's exact colours. Needs QtGui only.
#include <QColor>
#include <QImage>

#include "telemetry_view/chart_model.h"

namespace korvane {

namespace chart_colours {
inline const QColor kBackground(0, 0, 0);
inline const QColor kGrid(255, 255, 255);
inline const QColor kSpeedFix(85, 177, 55);
inline const QColor kSpeedNoFix(160, 160, 164);
inline const QColor kGForce(253, 183, 16);
} // namespace chart_colours

QColor PenColour(ChartPen pen);

// Draws border, grid and curves onto `image` at (0, 0); whatever lies outside the drawing's
// W x H is left alone (the plot clips it).
void PaintChart(const ChartDrawing& drawing, QImage& image);

// The colour of an event's marker: the speed's for a braking, the G line's for the others.
QColor MarkerColour(EventKind kind);

// A W x H RGB32 image with the chart.
QImage RenderChart(const ChartDrawing& drawing);

} // namespace korvane
