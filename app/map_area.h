#pragma once
// Creates the map area of the viewer and connects it to the main window: the route history
// menu item with its invisible dialog, and the new-version notice. What the maps follow of the
// player is connected with the other displays (Viewer::ConnectDisplays).
#include <QObject>

namespace korvane {

class MapView;
class TfrmMain;

MapView* CreateMapArea(TfrmMain& window, QObject* parent);

// The new-version notice, shown once per run when the update page answers.
void ShowUpdateNotice(TfrmMain& window);

} // namespace korvane
