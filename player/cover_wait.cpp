#include "player/cover_wait.h"

#include "kernel/kernel_link.h"
#include "kernel/kernel_slot.h"
#include "kernel/kernel_state.h"

#include <QLabel>

#include <algorithm>
#include <climits>

namespace korvane {

void CoverWait::Start(QLabel* image, KernelLink* link, const KernelSlot* slot, int holdMs,
                      std::function<bool()> playing)
{
    if (!image)
        return;
    StopAll(image);
    new CoverWait(image, link, slot, holdMs, std::move(playing));
}

void CoverWait::StopAll(QLabel* image)
{
    if (!image)
        return;
    for (CoverWait* wait : image->findChildren<CoverWait*>(Qt::FindDirectChildrenOnly)) {
        wait->End();
    }
}

CoverWait::CoverWait(QLabel* image, KernelLink* link, const KernelSlot* slot, int holdMs,
                     std::function<bool()> playing)
    : QObject(image), image_(image), slot_(slot), holdMs_(holdMs), playing_(std::move(playing))
{
    stood_.start();
    next_.setSingleShot(true);
    next_.setTimerType(Qt::PreciseTimer);
    connect(&next_, &QTimer::timeout, this, &CoverWait::Evaluate);
    if (link)
        connect(link, &KernelLink::answered, this, &CoverWait::Evaluate);
    Evaluate();
}

void CoverWait::End()
{
    ended_ = true;
    next_.stop();
    setParent(nullptr);
    deleteLater();
}

void CoverWait::Evaluate()
{
    if (ended_)
        return;
    const bool playing = playing_() && slot_;
    if (playing && slot_->graphState.load() == ToSlot(GraphState::Running)) {
        if (!running_.isValid())
            running_.start();
    } else {
        running_.invalidate();
    }
    const qint64 stood = stood_.elapsed();
    const bool drawn = running_.isValid() && running_.elapsed() >= kRunningFrameMs;
    if (stood >= holdMs_ && (!playing || drawn || stood >= kCoverLimitMs)) {
        image_->hide();
        End();
        return;
    }
    // The next moment that can change the answer, unless the kernel answers first.
    qint64 wait = LLONG_MAX;
    if (stood < holdMs_)
        wait = holdMs_ - stood;
    else if (!playing)
        wait = 0;
    if (running_.isValid())
        wait = std::min(wait, kRunningFrameMs - running_.elapsed());
    if (playing)
        wait = std::min(wait, kCoverLimitMs - stood);
    // Whether the channel still plays is not announced to the wait: it looks at the hold time.
    next_.start(static_cast<int>(std::clamp<qint64>(wait, 1, kCoverLimitMs)));
}

} // namespace korvane
