#include "app/keyboard_hook.h"

#include <QKeyEvent>

namespace korvane {

HookAction ClassifyKey(int key, bool controlDown, bool autoRepeat)
{
    if (autoRepeat)
        return HookAction::None;
    switch (key) {
    case Qt::Key_Menu: return HookAction::FocusDummy;
    case Qt::Key_F5: return HookAction::FocusMain;
    default: break;
    }
    if (!controlDown)
        return HookAction::None;
    switch (key) {
    case Qt::Key_A:
    case Qt::Key_F:
    case Qt::Key_N:
    case Qt::Key_O: return HookAction::FocusDummy;
    case Qt::Key_C: return HookAction::CleanData;
    case Qt::Key_H: return HookAction::RouteContinue;
    default: return HookAction::None;
    }
}

void KeyboardHook::HandleKey(int key, bool controlDown, bool autoRepeat)
{
    auto run = [](const std::function<void()>& f) { if (f) f(); };
    switch (ClassifyKey(key, controlDown, autoRepeat)) {
    case HookAction::FocusDummy: run(focusDummy); break;
    case HookAction::FocusMain: run(focusMain); break;
    case HookAction::CleanData: run(startCleanData); break;
    case HookAction::RouteContinue:
        if (!dummyShowing || !dummyShowing())
            run(routeContinue);
        break;
    case HookAction::None: break;
    }
}

bool KeyboardHook::eventFilter(QObject* watched, QEvent* event)
{
    // A key press reaches the filter once per receiver on its way up the widget tree; only
    // its first delivery counts. Any other event in between ends that press.
    if (event->type() != QEvent::KeyPress) {
        lastPress_ = nullptr;
    } else if (watched->isWidgetType() && event != lastPress_) {
        lastPress_ = event;
        auto* key = static_cast<QKeyEvent*>(event);
        HandleKey(key->key(), key->modifiers().testFlag(Qt::ControlModifier), key->isAutoRepeat());
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvane
