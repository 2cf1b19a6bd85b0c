#pragma once
// Applies the skin's data (ui/skin.h) to the widgets that carry its control names: the panel
// colours and the font table, once at start-up. Controls not built are passed over.
class QWidget;

namespace korvane {

// Background colours of the window and its panels; "frmMain" is `window` with its client area.
void ApplyColours(QWidget& window);

// Faces, sizes and text colours of the font table; labels the table centres are centred and
// sized to their text.
void ApplyFonts(QWidget& window);

} // namespace korvane
