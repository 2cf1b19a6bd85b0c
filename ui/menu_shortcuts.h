#pragma once
// The invisible edit box that takes the main window's keyboard focus would claim Ctrl+A
// (select all), Ctrl+X (cut) and the like for itself, so the menu shortcuts of the same keys
// never fired. The guard lets every key that a menu item carries reach its menu item.

namespace korvane {

class TfrmMain;

// Installs the guard on the main window's focus box (once).
void KeepMenuShortcuts(TfrmMain& window);

// True when the key (with its modifiers) is the shortcut of one of the window's menu items.
bool IsMenuShortcut(const TfrmMain& window, int keyWithModifiers);

} // namespace korvane
