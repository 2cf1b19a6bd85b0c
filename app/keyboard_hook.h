#pragma once
// The viewer's keyboard table, as an application-wide event filter that sees key presses
// before the embedded browsers do. One physical key press is one notification here, so each
// action fires once per press; auto-repeats do not count.
#include <QObject>
#include <functional>

namespace korvane {

enum class HookAction {
    None, FocusDummy, CleanData, RouteContinue, FocusMain,
    // Transport keys: they act on the recording that plays.
    PlayPause, SeekBack, SeekForward, FrameBack, FrameForward, ToStart, Snapshot,
};

// What a key press does: Ctrl+A/F/N/O and the menu key move the focus to the invisible edit
// box, Ctrl+C starts the clean command, Ctrl+H toggles the route history, F5 focuses the main
// window; without Ctrl, Alt or Meta, Space plays or pauses, Left and Right seek, comma and period
// step a frame, Home goes to the start and S takes a snapshot. Auto-repeated presses do nothing.
HookAction ClassifyKey(int key, bool controlDown, bool autoRepeat, bool altOrMetaDown = false);
bool IsTransportAction(HookAction action);

class KeyboardHook : public QObject {
    Q_OBJECT
public:
    explicit KeyboardHook(QObject* parent = nullptr) : QObject(parent) {}

    std::function<void()> focusDummy;     // left-button-down on mmDummy
    std::function<void()> focusMain;      // left-button-down on the main window
    std::function<void()> startCleanData; // starts tmCleanData
    std::function<void()> routeContinue;  // clicks miRouteContinue
    std::function<bool()> dummyShowing;   // the self-closing dialog is up
    // Runs a transport key pressed in `receiver`; true when it acted (the key then goes no
    // further, so no focused part acts on it too).
    std::function<bool(HookAction, QObject* receiver)> transport;

    // Runs the action of one key press. Only a transport key that acted is swallowed (true).
    bool HandleKey(int key, bool controlDown, bool autoRepeat, bool altOrMetaDown = false,
                   QObject* receiver = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const QEvent* lastPress_ = nullptr;   // the press already handled while it propagates
};

} // namespace korvane
