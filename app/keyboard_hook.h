#pragma once
// The viewer's keyboard table, as an application-wide event filter that sees key presses
// before the embedded browsers do. One physical key press is one notification here, so each
// action fires once per press; auto-repeats do not count.
#include <QObject>

class QWidget;

namespace korvane {

enum class HookAction {
    None, FocusDummy, CleanData, RouteContinue, FocusMain,
    // Transport keys: they act on the recording that plays.
    PlayPause, SeekBack, SeekForward, FrameBack, FrameForward, ToStart, Snapshot, NextEvent, PreviousEvent,
    MarkIn, MarkOut,
};

// What a key press does: Ctrl+A/F/N/O and the menu key move the focus to the invisible edit
// box, Ctrl+C starts the clean command, Ctrl+H toggles the route history, F5 focuses the main
// window; without Ctrl, Alt or Meta, Space plays or pauses, Left and Right seek, comma and period
// step a frame, Home goes to the start, S takes a snapshot, N and Shift+N jump to the next and
// the previous event and I and O set the export's In and Out. Auto-repeated presses do nothing.
HookAction ClassifyKey(int key, bool controlDown, bool autoRepeat, bool altOrMetaDown = false,
                       bool shiftDown = false);
bool IsTransportAction(HookAction action);

// Whether a key pressed in `receiver` belongs to `mainWindow`: no modal dialog and no open menu,
// and the receiver is a widget of that window.
bool MainWindowHasKeys(const QWidget& mainWindow, QObject* receiver);
// Whether Ctrl+C pressed in `receiver` may start the clean command: the main window has the keys
// and the receiver is no text field of its own (Ctrl+C copies there), except the invisible focus
// box `focusBox` that holds the window's keyboard focus. Ctrl+C is everywhere else the copy key:
// in a dialog, a menu or a text field it never starts a command that deletes the card.
bool CleanKeyApplies(const QWidget& mainWindow, const QWidget* focusBox, QObject* receiver);

// What the keys act on; the shell provides it.
class KeyActions {
public:
    virtual ~KeyActions() = default;
    virtual void FocusDummy() = 0;      // left-button-down on mmDummy
    virtual void FocusMain() = 0;       // left-button-down on the main window
    // Starts tmCleanData for a Ctrl+C pressed in `receiver`; the shell starts it only when the
    // main window itself has the keys (see CleanKeyApplies).
    virtual void StartCleanData(QObject* receiver) = 0;
    virtual void RouteContinue() = 0;   // clicks miRouteContinue
    virtual bool DummyShowing() const = 0;   // the self-closing dialog is up
    // Runs a transport key pressed in `receiver`; true when it acted (the key then goes no
    // further, so no focused part acts on it too).
    virtual bool Transport(HookAction action, QObject* receiver) = 0;
};

class KeyboardHook : public QObject {
    Q_OBJECT
public:
    explicit KeyboardHook(KeyActions& actions, QObject* parent = nullptr) : QObject(parent), actions_(actions) {}

    // Runs the action of one key press. Only a transport key that acted is swallowed (true).
    bool HandleKey(int key, bool controlDown, bool autoRepeat, bool altOrMetaDown = false,
                   QObject* receiver = nullptr, bool shiftDown = false);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    KeyActions& actions_;
    const QEvent* lastPress_ = nullptr;   // the press already handled while it propagates
};

} // namespace korvane
