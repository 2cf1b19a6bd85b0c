#include "core/busy_state.h"

namespace korvane {

BusyState::BusyState(QObject* parent) : QObject(parent)
{
    for (int i = 0; i < kBusyReasonCount; ++i) {
        auto* timer = new QTimer(this);
        timer->setSingleShot(true);
        timer->setInterval(kSettleMs);
        const auto reason = static_cast<BusyReason>(i);
        connect(timer, &QTimer::timeout, this, [this, reason] { Update(reasons_ & ~Bit(reason)); });
        settle_[i] = timer;
    }
}

void BusyState::Set(BusyReason reason)
{
    settle_[Index(reason)]->stop();
    Update(reasons_ | Bit(reason));
}

void BusyState::Clear(BusyReason reason)
{
    settle_[Index(reason)]->stop();
    Update(reasons_ & ~Bit(reason));
}

void BusyState::ClearAfterSettling(BusyReason reason)
{
    settle_[Index(reason)]->start();
    emit settling(reason);
}

void BusyState::Update(unsigned reasons)
{
    const bool wasIdle = IsIdle();
    reasons_ = reasons;
    if (wasIdle != IsIdle())
        emit idleChanged(IsIdle());
}

} // namespace korvane
