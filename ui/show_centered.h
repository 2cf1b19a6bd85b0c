#pragma once
// Modal dialogs are shown centred on the main window through ShowCentered. Tests install a
// runner that answers instead of blocking on the modal loop.
#include <QRect>
#include <functional>

class QDialog;
class QWidget;

namespace korvane {

// Left = main.Left + (main.Width - dialog.Width) / 2, top likewise, on the outer rectangles;
// the division truncates toward zero.
QPoint CenteredPosition(const QRect& mainFrame, const QSize& dialogFrame);

// Positions the dialog over `mainWindow`, shows it modally and returns its modal result
// (OK 1, Cancel 2, No 7).
int ShowCentered(QDialog& dialog, QWidget* mainWindow);

using DialogRunner = std::function<int(QDialog&)>;
// Replaces the modal showing (nullptr: the real one). The runner gets the positioned dialog.
void SetDialogRunner(DialogRunner runner);

} // namespace korvane
