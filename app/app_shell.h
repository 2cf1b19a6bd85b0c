#pragma once
// The application shell: the role dispatch, the viewer's start-up order, the close request and
// the shut-down clean-up, with the state and timers that carry them. It owns the per-subsystem
// objects of the process, the viewer's busy state among them, and wires them to the main window.
#include <QObject>
#include <QString>
#include <memory>

#include "app/command_line.h"
#include "app/keyboard_hook.h"
#include "core/busy_state.h"
#include "platform/instance_lock.h"
#include "ui/display_scale.h"

class QTimer;

namespace korvane {

class DataManagementHookup;
class ExportHookup;
class FolderListener;
class TransportHookup;
class Viewer;
class TfrmClose;
class TfrmMain;

class AppShell : public QObject, private KeyActions {
    Q_OBJECT
public:
    AppShell(const ProcessRole& role, TfrmMain& window);
    ~AppShell() override;

    // Common initialisation, then the kernel or the viewer start.
    void FormCreate();
    void StartViewer();
    // Decides a close request of the main window; true grants it. Every close of the window
    // comes here first (an event filter on the window).
    bool FormClose();
    // Shut-down clean-up of the viewer, after the window has closed.
    void FormDestroy();

    const ProcessRole& role() const { return role_; }
    // Whether the viewer is idle, and which part keeps it busy; the shell's own reasons are the
    // close request and the About dialog.
    BusyState& Busy() { return busy_; }
    // This process turned out to be a second viewer: it closes at once and cleans nothing up.
    bool QuitNow() const { return quitNow_; }
    // The user confirmed quitting.
    bool QuitConfirmed() const { return quitConfirmed_; }
    DisplayScale scale;
    QString iniPath;           // <programFolder>/Korvane.ini, empty when absent
    QString languageSection;   // "0x%X" of the user's language id
    QString programFolder;     // the start directory

    // Where the single-instance lock lives (tests point it elsewhere).
    std::string lockPath;

    QTimer* tmQuit = nullptr;
    QTimer* tmClose = nullptr;
    QTimer* tmHide = nullptr;
    QTimer* tmCleanData = nullptr;

    TfrmClose* frmClose() const { return frmClose_; }
    // The viewer role's subsystems; null in the kernel role and in a second viewer.
    Viewer* viewer() const { return viewer_; }
    // Backup and Clean of the Setup menu; null where viewer() is.
    DataManagementHookup* dataManagement() const { return dataManagement_; }
    // The transport keys and snapshots; null where viewer() is.
    TransportHookup* transport() const { return transport_; }
    // The export marks and Setup > Export…; null where viewer() is.
    ExportHookup* exportHookup() const { return export_; }

    // The quit is confirmed (by the user, or by a termination signal): both channels close.
    void ConfirmQuit();
    // A folder handed over by "korvane FOLDER": the window comes to the front and, as soon as
    // the viewer is idle, the folder opens as File > Open would open it.
    void OpenHandedFolder(const QString& folder);
    // This second viewer handed its folder to the running one.
    bool HandedOver() const { return handedOver_; }

signals:
    // A close request is about to ask the user: playback pauses first.
    void aboutToAskToQuit();
    // The quit is confirmed: both channels close for good.
    void quitConfirmed();
    // Ctrl+C's timer has run with no dialog deciding: the clean command starts.
    void cleanDataRequested();

public:
protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Kernel role: hands the process to the playback kernel.
    void tmQuitTimer();
    void tmCloseTimer();
    void tmCleanDataTimer();
    void InstallKeyboardHook();
    // KeyActions: what the keyboard table acts on.
    void FocusDummy() override;
    void FocusMain() override;
    void StartCleanData(QObject* receiver) override;
    void RouteContinue() override;
    bool DummyShowing() const override;
    bool Transport(HookAction action, QObject* receiver) override;
    void SizeAndCentre();
    // Skin colours and fonts, once at start-up.
    void ApplySkin();
    // The window layout from the window's present size, then what lives inside the controls.
    void LayOut();
    // Every resize once start-up has finished: the layout, then the chart drawn again.
    void FormResize();

    ProcessRole role_;
    TfrmMain& window_;
    BusyState busy_;
    bool quitNow_ = false;
    bool quitConfirmed_ = false;
    InstanceLock instanceLock_;
    KeyboardHook* keyboardHook_ = nullptr;
    TfrmClose* frmClose_ = nullptr;
    Viewer* viewer_ = nullptr;
    DataManagementHookup* dataManagement_ = nullptr;
    TransportHookup* transport_ = nullptr;   // the transport keys and snapshots
    ExportHookup* export_ = nullptr;         // the export marks and command
    FolderListener* folderListener_ = nullptr;
    QString handedFolder_;                   // waits for an idle viewer
    QTimer* tmHandedFolder_ = nullptr;
    bool handedOver_ = false;
};

// The display percentage of the primary screen.
int PrimaryScreenPercent();

} // namespace korvane
