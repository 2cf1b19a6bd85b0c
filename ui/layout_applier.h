#pragma once
// Applies a computed layout to a widget tree: each placement goes to the widget of the same
// objectName under `root` (the window's client area), converted from device pixels to Qt's
// logical pixels once, here.
#include <QFont>
#include <functional>
#include <QStringList>

#include "ui/apply_layout.h"

class QWidget;

namespace korvane {

// Sets geometry, visibility and captions of every placed control found under `root`. A
// control whose widget sits under another parent than the layout names is placed at the same
// spot of the client area. Returns the names no widget carries (not built yet).
QStringList ApplyPlacements(QWidget& root, const LayoutResult& layout, double devicePixelRatio);

// Gives the listed controls their rounded window regions (ellipses corner x corner device
// pixels) over their client rectangles, and repaints them.
void ApplyRoundedRegions(QWidget& root, const LayoutResult& layout, double devicePixelRatio);

// Measures a time label's size in device pixels for the layout's input: `font` as the labels
// use it (Arial 11), sized to its text.
std::function<QSize(const QString&)> TimeLabelMeasure(const QFont& font, double devicePixelRatio);

} // namespace korvane
