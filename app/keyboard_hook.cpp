#include "app/keyboard_hook.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

namespace korvane {

HookAction ClassifyKey(int key, bool controlDown, bool autoRepeat, bool altOrMetaDown, bool shiftDown)
{
    if (autoRepeat)
        return HookAction::None;
    switch (key) {
    case Qt::Key_Menu: return HookAction::FocusDummy;
    case Qt::Key_F5: return HookAction::FocusMain;
    default: break;
    }
    if (!controlDown && !altOrMetaDown) {
        switch (key) {
        case Qt::Key_Space: return HookAction::PlayPause;
        case Qt::Key_Left: return HookAction::SeekBack;
        case Qt::Key_Right: return HookAction::SeekForward;
        case Qt::Key_Comma: return HookAction::FrameBack;
        case Qt::Key_Period: return HookAction::FrameForward;
        case Qt::Key_Home: return HookAction::ToStart;
        case Qt::Key_S: return HookAction::Snapshot;
        case Qt::Key_N: return shiftDown ? HookAction::PreviousEvent : HookAction::NextEvent;
        case Qt::Key_I: return HookAction::MarkIn;
        case Qt::Key_O: return HookAction::MarkOut;
        default: return HookAction::None;
        }
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

bool IsTransportAction(HookAction action)
{
    switch (action) {
    case HookAction::PlayPause:
    case HookAction::SeekBack:
    case HookAction::SeekForward:
    case HookAction::FrameBack:
    case HookAction::FrameForward:
    case HookAction::ToStart:
    case HookAction::Snapshot:
    case HookAction::NextEvent:
    case HookAction::PreviousEvent:
    case HookAction::MarkIn:
    case HookAction::MarkOut: return true;
    default: return false;
    }
}

bool MainWindowHasKeys(const QWidget& mainWindow, QObject* receiver)
{
    // A dialog (modal, the folder chooser, the invisible one of Ctrl+H) or an open menu keeps
    // its keys; so does any other window.
    if (QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return false;
    auto* widget = qobject_cast<QWidget*>(receiver);
    return widget && widget->window() == &mainWindow;
}

namespace {
bool IsTextField(const QWidget* widget)
{
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget) ||
        qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QPlainTextEdit*>(widget))
        return true;
    const auto* combo = qobject_cast<const QComboBox*>(widget);
    return combo && combo->isEditable();
}
} // namespace

bool CleanKeyApplies(const QWidget& mainWindow, const QWidget* focusBox, QObject* receiver)
{
    if (!MainWindowHasKeys(mainWindow, receiver))
        return false;
    const auto* widget = static_cast<const QWidget*>(receiver);
    if (focusBox && (widget == focusBox || focusBox->isAncestorOf(widget)))
        return true;
    // A text field or anything inside one (its viewport) keeps Ctrl+C as the copy key.
    for (const QWidget* w = widget; w && w != &mainWindow; w = w->parentWidget())
        if (IsTextField(w))
            return false;
    return true;
}

bool KeyboardHook::HandleKey(int key, bool controlDown, bool autoRepeat, bool altOrMetaDown, QObject* receiver,
                             bool shiftDown)
{
    const HookAction action = ClassifyKey(key, controlDown, autoRepeat, altOrMetaDown, shiftDown);
    if (IsTransportAction(action))
        return actions_.Transport(action, receiver);
    switch (action) {
    case HookAction::FocusDummy: actions_.FocusDummy(); break;
    case HookAction::FocusMain: actions_.FocusMain(); break;
    case HookAction::CleanData: actions_.StartCleanData(receiver); break;
    case HookAction::RouteContinue:
        if (!actions_.DummyShowing())
            actions_.RouteContinue();
        break;
    default: break;
    }
    return false;
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
        const Qt::KeyboardModifiers mods = key->modifiers();
        if (HandleKey(key->key(), mods.testFlag(Qt::ControlModifier), key->isAutoRepeat(),
                      mods.testFlag(Qt::AltModifier) || mods.testFlag(Qt::MetaModifier), watched,
                      mods.testFlag(Qt::ShiftModifier)))
            return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace korvane
