#include "ui/menu_shortcuts.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPlainTextEdit>

#include "ui/main_window.h"

namespace korvane {
namespace {
class Guard : public QObject {
public:
    Guard(TfrmMain& window) : QObject(window.mmDummy), window_(window) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (IsMenuShortcut(window_, key->keyCombination().toCombined())) {
                event->ignore();   // not the edit box's: the shortcut map delivers it
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    TfrmMain& window_;
};
} // namespace

bool IsMenuShortcut(const TfrmMain& window, int keyWithModifiers)
{
    const QKeySequence pressed(keyWithModifiers);
    for (QMenu* menu : {window.miFile, window.miSetup, window.miHelp})
        for (const QAction* action : menu->actions())
            if (!action->shortcut().isEmpty() && action->shortcut() == pressed)
                return true;
    return false;
}

void KeepMenuShortcuts(TfrmMain& window)
{
    if (!window.mmDummy || window.mmDummy->property("korvaneMenuGuard").toBool())
        return;
    window.mmDummy->setProperty("korvaneMenuGuard", true);
    window.mmDummy->installEventFilter(new Guard(window));
}

} // namespace korvane
