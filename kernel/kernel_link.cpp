#include "kernel/kernel_link.h"

#include "kernel/kernel_client.h"
#include "kernel/kernel_log.h"
#include "platform/child_process.h"
#include "platform/shared_wait.h"

#include <QSocketNotifier>

namespace korvane {
namespace {
// How long the watcher sleeps on the answer word before it looks whether it is to stop; an
// answer wakes it at once.
constexpr int kWatchSliceMs = 250;
// A seek write that keeps being cleared (a kernel seeking again and again) is given up after
// this many 9 ms steps.
constexpr int kSeekMaxSteps = 110;
} // namespace

KernelLink::KernelLink(KernelClient& client, QObject* parent) : QObject(parent), client_(client)
{
    requestTick_.setSingleShot(true);
    requestTick_.setTimerType(Qt::PreciseTimer);
    requestTick_.setInterval(kRequestSleepMs);
    seekTick_.setSingleShot(true);
    seekTick_.setTimerType(Qt::PreciseTimer);
    seekTick_.setInterval(kSeekSleepMs);
    connect(&requestTick_, &QTimer::timeout, this, &KernelLink::OnRequestTick);
    connect(&seekTick_, &QTimer::timeout, this, &KernelLink::OnSeekTick);
    client_.link = this;
}

KernelLink::~KernelLink()
{
    if (client_.link == this)
        client_.link = nullptr;
    StopFollowingEnd();
    StopWatching();
}

void KernelLink::Watch(KernelSlot* slot)
{
    if (watched_ == slot && watcher_.joinable())
        return;
    StopWatching();
    watched_ = slot;
    if (!slot)
        return;
    stopWatching_ = false;
    watcher_ = std::thread([this, slot] {
        int32_t seen = slot->answers.load();
        while (!stopWatching_) {
            platform::WaitWhileEqual(slot->answers, seen, kWatchSliceMs);
            const int32_t now = slot->answers.load();
            if (now == seen || stopWatching_)
                continue;
            seen = now;
            // One answer waiting on the main thread at a time: it reads the slot as it is then.
            if (!answerPosted_.exchange(true))
                QMetaObject::invokeMethod(this, [this] {
                    answerPosted_ = false;
                    OnAnswer();
                    emit answered();
                }, Qt::QueuedConnection);
        }
    });
}

void KernelLink::StopWatching()
{
    if (!watcher_.joinable())
        return;
    stopWatching_ = true;
    if (watched_)
        platform::WakeWaiters(watched_->answers);
    watcher_.join();
}

void KernelLink::Launched()
{
    CancelRequest();
    seekAfterRequest_ = false;
    seekTick_.stop();
    Watch(client_.slot);
    FollowEnd();
}

void KernelLink::Released()
{
    CancelRequest();
    seekAfterRequest_ = false;
    seekTick_.stop();
}

void KernelLink::FollowEnd()
{
    StopFollowingEnd();
    const pid_t pid = client_.kernelPid;
    endFd_ = pid > 0 ? platform::WatchChildEnd(pid) : -1;
    if (endFd_ < 0) {
        // Never started, or ended before it could be watched: gone all the same.
        QMetaObject::invokeMethod(this, [this, pid] {
            if (client_.kernelPid == pid)
                emit gone();
        }, Qt::QueuedConnection);
        return;
    }
    endPid_ = pid;
    endNotifier_ = new QSocketNotifier(endFd_, QSocketNotifier::Read, this);
    connect(endNotifier_, &QSocketNotifier::activated, this, [this] {
        const bool current = client_.kernelPid == endPid_;
        StopFollowingEnd();
        if (current)
            emit gone();
    });
}

void KernelLink::StopFollowingEnd()
{
    if (endNotifier_) {
        endNotifier_->setEnabled(false);
        endNotifier_->deleteLater();
        endNotifier_ = nullptr;
    }
    platform::UnwatchChildEnd(endPid_, endFd_);
    endFd_ = -1;
    endPid_ = -1;
}

void KernelLink::RequestState(RequestedState target, Done done)
{
    // A seek that waited for the request under way goes first: the kernel takes them in order.
    const bool seekWaiting = seekAfterRequest_;
    CancelRequest();
    if (seekWaiting)
        WriteSeek();
    writes_ = 0;
    KernelSlot* slot = client_.slot;
    if (!slot || slot->ready.load() == 0) {
        if (done)
            done(true);
        return;
    }
    target_ = ToSlot(target);
    done_ = std::move(done);
    WriteStateRequest(*slot, target_);
    ++writes_;
    requestTick_.start();
}

void KernelLink::OnAnswer()
{
    // The kernel's answer completes a request at once, but only while the request's budget
    // lasts: after its last write the request is no longer read.
    if (requestTick_.isActive() && writes_ < kRequestMaxWrites && client_.slot &&
        client_.slot->graphState.load() == target_)
        FinishRequest(true);
}

void KernelLink::OnRequestTick()
{
    KernelSlot* slot = client_.slot;
    if (!slot || slot->ready.load() == 0) {
        // The kernel was let go meanwhile: nobody waits for this answer (or a seek) any more.
        CancelRequest();
        seekAfterRequest_ = false;
        return;
    }
    if (writes_ < kRequestMaxWrites && slot->graphState.load() == target_) {
        FinishRequest(true);
        return;
    }
    // A kernel that has died never confirms.
    if (writes_ >= kRequestMaxWrites || KernelGone(client_)) {
        if (writes_ >= kRequestMaxWrites)
            qCWarning(lcKernel) << "kernel" << client_.id << "did not confirm state" << target_;
        FinishRequest(false);
        return;
    }
    WriteStateRequest(*slot, target_);
    ++writes_;
    requestTick_.start();
}

void KernelLink::FinishRequest(bool confirmed)
{
    requestTick_.stop();
    const auto target = static_cast<RequestedState>(target_);
    target_ = -1;
    Done done = std::move(done_);
    done_ = {};
    emit stateRequestFinished(target, confirmed, writes_);
    if (done)
        done(confirmed);
    if (seekAfterRequest_ && !requestTick_.isActive())
        WriteSeek();
}

void KernelLink::CancelRequest()
{
    requestTick_.stop();
    target_ = -1;
    done_ = {};
}

void KernelLink::RequestSeek(int64_t position100ns)
{
    seekTick_.stop();
    KernelSlot* slot = client_.slot;
    if (!slot)
        return;
    seekTarget_ = position100ns;
    seekSteps_ = 0;
    seekGivenUp_ = false;
    // A state request under way is carried out first (a pause before the seek that follows it
    // lands on a still graph); the seek is written when the request ends.
    if (requestTick_.isActive()) {
        seekAfterRequest_ = true;
        return;
    }
    WriteSeek();
}

void KernelLink::WriteSeek()
{
    KernelSlot* slot = client_.slot;
    seekAfterRequest_ = false;
    if (!slot)
        return;
    const int64_t position100ns = seekTarget_;
    slot->seekRequest.store(position100ns);
    if (slot->seekRequest.load() != position100ns)
        seekTick_.start();
}

void KernelLink::OnSeekTick()
{
    KernelSlot* slot = client_.slot;
    if (!slot || slot->seekRequest.load() == seekTarget_)
        return;
    if (++seekSteps_ > kSeekMaxSteps) {
        qCWarning(lcKernel) << "kernel" << client_.id << "kept clearing a seek; given up";
        seekGivenUp_ = true;
        return;
    }
    slot->seekRequest.store(seekTarget_);
    seekTick_.start();
}

} // namespace korvane
