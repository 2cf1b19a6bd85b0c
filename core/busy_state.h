#pragma once
// Whether the viewer is idle, and why not. Each reason has one owner that sets and clears it:
// the library while a folder's thumbnails are made, the opener while a recording is opened,
// the backup and clean commands while their job runs, the repair while a cut recording is
// repaired. The viewer is idle when none of these is set: cells take double clicks and a close
// request is decided. Apart from them, the dialog reasons say that a close request or a menu
// command is deciding something in its dialogs (the clean command from the keyboard then does
// not start); they do not make the viewer busy. Main thread only.
#include <QObject>
#include <QTimer>
#include <array>

namespace korvane {

enum class BusyReason {
    LoadingFolder,     // a folder is scanned and its thumbnails are made
    OpeningRecording,  // a recording is being opened, or continuous play switches to the next
    JobRunning,        // a backup or clean command runs its copy or delete job
    Repairing,         // a cut recording is being repaired
    // Dialog reasons.
    CloseRequest,      // the shell decides a close request
    AboutDialog,       // the shell shows the About dialog
    DataCommand,       // a backup or clean command shows its dialogs
};
inline constexpr int kBusyReasonCount = 7;

class BusyState : public QObject {
    Q_OBJECT
public:
    // The pause between the end of the work and the viewer being idle again (tmProcessFinish).
    static constexpr int kSettleMs = 500;

    explicit BusyState(QObject* parent = nullptr);

    void Set(BusyReason reason);
    void Clear(BusyReason reason);
    // Clears `reason` after kSettleMs; a Set or Clear of the same reason before then cancels it.
    void ClearAfterSettling(BusyReason reason);

    // No recording is being opened, no job runs (viewerIdle).
    bool IsIdle() const { return (reasons_ & kWorkReasons) == 0; }
    // A close request or a menu command is deciding something (closeBusy).
    bool DialogUp() const { return (reasons_ & ~kWorkReasons) != 0; }
    bool Has(BusyReason reason) const { return reasons_ & Bit(reason); }
    bool Settling(BusyReason reason) const { return settle_[Index(reason)]->isActive(); }

signals:
    // Emitted when the viewer turns idle or busy, not when one more reason joins.
    void idleChanged(bool idle);
    // The clear of `reason` has been scheduled (ClearAfterSettling).
    void settling(korvane::BusyReason reason);

private:
    static constexpr unsigned kWorkReasons = 0xF;   // the first four reasons
    static int Index(BusyReason reason) { return static_cast<int>(reason); }
    static unsigned Bit(BusyReason reason) { return 1u << Index(reason); }
    void Update(unsigned reasons);

    unsigned reasons_ = 0;
    std::array<QTimer*, kBusyReasonCount> settle_{};
};

} // namespace korvane
