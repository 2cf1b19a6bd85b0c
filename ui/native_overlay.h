// Keeps a native child widget (an overlay drawn above the video windows) on the same kind of
// surface as its top-level window. A window that holds a browser view or another OpenGL widget
// is composited through OpenGL, and a native child left on a raster surface is flushed as an
// empty box. (The map browsers have windows of their own, so the main window stays raster.)
#pragma once

class QWidget;

namespace korvane {

// Watches `overlay` (which has Qt::WA_NativeWindow) and recreates its native window with the
// top level's surface type whenever the two differ.
void KeepOverlaySurfaceWithWindow(QWidget* overlay);

}  // namespace korvane
