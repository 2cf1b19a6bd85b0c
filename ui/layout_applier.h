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

// The layout's input for a window as it stands: client size and status bar from the widgets,
// the form's own sizes (title strip, player buttons, seek bar) scaled from their 100 % figures,
// and every self-sizing label measured when its widget exists (else its 100 % figure scaled).
// `window` is the main window, `root` its client area above the status bar.
LayoutInput MeasureLayoutInput(QWidget& window, QWidget& root, int scalePercent, qint64 duration,
                               double devicePixelRatio);

// Measures a time label's size in device pixels for the layout's input: `font` as the labels
// use it (Arial 11), sized to its text.
LayoutInput::MeasureText TimeLabelMeasure(const QFont& font, double devicePixelRatio);

} // namespace korvane
