#pragma once
// The frozen-frame cover of a panel whose new kernel has not drawn yet, and when it goes: once
// it has stood its hold time and the kernel's graph has reported running for a frame's time, or
// at the hold time when the channel no longer plays, and at the latest after a limit. The
// kernel's answers (its state changes) and single-shot timers at the next moment that matters
// decide it; nothing polls.
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class QLabel;

namespace korvane {

class KernelLink;
struct KernelSlot;

class CoverWait : public QObject {
    Q_OBJECT
public:
    // How long the kernel's graph reports running before the cover goes: a frame's time to draw.
    static constexpr int kRunningFrameMs = 40;
    // A kernel that is slow to report running (a loaded machine) still loses its cover by then.
    static constexpr int kCoverLimitMs = 1500;

    // Starts the wait for `image` (its parent); `playing` tells whether the channel still plays.
    // A wait that was under way for the same image ends first.
    static void Start(QLabel* image, KernelLink* link, const KernelSlot* slot, int holdMs,
                      std::function<bool()> playing);
    // Ends any wait for the image (a new frozen frame goes up).
    static void StopAll(QLabel* image);

private:
    CoverWait(QLabel* image, KernelLink* link, const KernelSlot* slot, int holdMs, std::function<bool()> playing);
    void Evaluate();
    void End();

    QLabel* image_;
    const KernelSlot* slot_;
    int holdMs_;
    std::function<bool()> playing_;
    QElapsedTimer stood_;
    QElapsedTimer running_;
    QTimer next_;
    bool ended_ = false;
};

} // namespace korvane
