#pragma once
// The main window's skin as data: the start-up size and position, the panel colours and the
// font table. The widget layer applies them once at start-up.
#include <QColor>
#include <QRect>
#include <QString>
#include <optional>
#include <vector>

namespace korvane {

// Start-up size in device pixels, trunc(1100 x scale) by trunc(700 x scale); also the minimum.
QSize StartupWindowSize(double scale);
// Top-left corner that centres a window of `window` on a screen of `screen` (same units).
QPoint CentredOnScreen(const QSize& screen, const QSize& window);

struct PanelColour {
    QString name;
    QColor colour;
};
// Background colours of the window ("frmMain") and its panels at start-up.
const std::vector<PanelColour>& SkinColours();

// One row of the font table; unset fields keep the control's own value.
struct FontSpec {
    QString name;
    std::optional<QString> face;
    std::optional<int> pointSize;
    std::optional<QColor> colour;
    bool centredToText = false;   // centred and sized to its text
};
const std::vector<FontSpec>& SkinFonts();

} // namespace korvane
