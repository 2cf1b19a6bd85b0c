#pragma once
// Creates the map area of the viewer and connects it to the main window and the player: the
// route history menu item, the recording whose route is drawn and the new-version notice.
#include <QObject>

namespace korvane {

class MapView;
class PlaybackController;
class TfrmMain;

MapView* CreateMapArea(TfrmMain& window, PlaybackController& player, QObject* parent);

// The new-version notice, shown once per run when the update page answers.
void ShowUpdateNotice(TfrmMain& window);

} // namespace korvane
