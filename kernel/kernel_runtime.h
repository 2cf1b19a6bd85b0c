#pragma once
// The kernel role: maps the slot named by the command line, builds the media graph for the file
// in the slot, publishes itself and then polls the slot every 50 ms on a command thread of its
// own. It ends through the main window's tmClose; never on its own thread. The command thread
// shows nothing itself: its errors are handed to the main thread, which shows the box.
#include "kernel/kernel_slot.h"
#include "kernel/kernel_state.h"
#include "kernel/media_graph_player.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class QTimer;
class QWidget;

namespace korvane {

class KernelRuntime : public QObject {
    Q_OBJECT
public:
    KernelRuntime(QWidget* mainWindow, QTimer* tmClose, QTimer* tmHide);
    ~KernelRuntime() override;

    // The kernel's start, from the main window's creation in the kernel role.
    void StartKernel(const QString& commandLineText);
    // "/CALLER:<name>/ID:<n>" into callerName and kernelId.
    bool ParseKernelCommandLine(const QString& commandLineText);
    // One pass of the command loop (release, position, seek, state, command, sound, request,
    // enforce).
    void KernelTick();
    // Shows "ERROR 0x%04X" on the main thread; from another thread the box is queued there, and
    // while one is waiting or shown no second one is queued.
    void ReportError(int code);

    QString callerName;
    int32_t kernelId = 0;
    KernelSlot* slot = nullptr;
    MediaGraphPlayer player;
    int32_t targetState = 0;
    int32_t reportedState = 0;

private:
    // What the graph does for a requested state: the one mapping the request and its enforcement
    // share.
    void ApplyState(RequestedState state);
    // Reads the graph's state and publishes it in the slot.
    void ReportGraphState();
    // Counts the slot's answers up and wakes a viewer waiting on them.
    void Answer();
    // Marks a failed build of the graph in the slot and answers.
    void MarkBuildFailed(int code);
    void StartCloseTimer();
    void CommandThread();
    void GuardThread();
    bool ViewerGone() const;
    bool Released() const;
    void SleepMs(int ms);

    QWidget* mainWindow_;
    QTimer* tmClose_;
    QTimer* tmHide_;
    pid_t parentAtStart_ = 0;
    pid_t ownPid_ = 0;
    std::thread commandThread_;
    std::thread guardThread_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool resumed_ = false;
    bool stopping_ = false;
    std::atomic<KernelSlot*> claimedSlot_{nullptr};  // the slot as the guard thread sees it
    std::atomic<bool> published_{false};
    std::atomic<bool> suspended_{false};
    std::atomic<bool> errorBoxPending_{false};
    // A rate offset the graph refused is not asked of it again on every pass.
    static constexpr int kNoRefusedRate = 1000;
    int refusedRate_ = kNoRefusedRate;
};

} // namespace korvane
