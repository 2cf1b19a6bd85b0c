#pragma once
// The transport keys and snapshots wired into the viewer: the keyboard table's transport
// actions go to the player's key transport, S and Setup > Snapshot take a snapshot of the frame
// on screen (with the sample the read-outs show), and the status bar says where it went.
#include <QObject>

#include "app/keyboard_hook.h"

namespace korvane {

class EventJumper;
class SnapshotTaker;
class TfrmMain;
class TransportKeys;
class Viewer;

class TransportHookup : public QObject {
    Q_OBJECT
public:
    TransportHookup(Viewer& viewer, TfrmMain& window, QObject* parent = nullptr);

    // Runs one transport key pressed in `receiver`: only in the main window, never while a
    // dialog is up. True when it acted.
    bool Run(HookAction action, QObject* receiver);
    // Takes a snapshot of the frame on screen; false when nothing is loaded.
    bool TakeSnapshot();
    // N (+1) and Shift+N (-1): one second before the next or previous event, in the recording
    // or on into the next or previous recording of its group that has one.
    bool JumpToEvent(int direction);

    TransportKeys& Keys() { return *keys_; }
    SnapshotTaker& Snapshots() { return *snapshots_; }
    EventJumper& Jumper() { return *jumper_; }

private:

    Viewer& viewer_;
    TfrmMain& window_;
    TransportKeys* keys_ = nullptr;
    SnapshotTaker* snapshots_ = nullptr;
    EventJumper* jumper_ = nullptr;
};

} // namespace korvane
