#include "ui/show_centered.h"

#include "ui/dialog_base.h"

#include <QDialog>
#include <QWidget>

namespace korvane {
namespace {
DialogRunner& Runner()
{
    static DialogRunner runner;
    return runner;
}
} // namespace

QPoint CenteredPosition(const QRect& mainFrame, const QSize& dialogFrame)
{
    // C++ integer division truncates toward zero, as the placement requires.
    return QPoint(mainFrame.left() + (mainFrame.width() - dialogFrame.width()) / 2,
                  mainFrame.top() + (mainFrame.height() - dialogFrame.height()) / 2);
}

int ShowCentered(QDialog& dialog, QWidget* mainWindow)
{
    if (auto* fixed = qobject_cast<KorvaneDialog*>(&dialog))
        fixed->FitTexts();
    if (mainWindow) {
        dialog.move(CenteredPosition(mainWindow->frameGeometry(), dialog.frameGeometry().size()));
    }
    if (Runner())
        return Runner()(dialog);
    return dialog.exec();
}

void SetDialogRunner(DialogRunner runner) { Runner() = std::move(runner); }

} // namespace korvane
