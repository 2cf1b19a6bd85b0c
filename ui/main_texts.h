#pragma once
// The main window's texts: menus, the group words, the progress title, the backup label and the
// stop button take their texts from the catalogue; the panels the skin fills are cleared.
namespace korvane {

class TfrmMain;

// Sets every main-window text the catalogue has on the parts that exist so far (parts are
// found by their object names, so a part built later can be given its text by calling this
// again).
void LoadMainTexts(TfrmMain& window);

} // namespace korvane
