#pragma once
// The viewer's event link to the kernel of one client. The kernel counts its slot's `answers` up
// after every change it publishes; one thread of this link sleeps on that word and turns each
// change into the `answered` signal on the main thread. The end of the kernel process comes as
// `gone`. State and seek requests are carried out on the event loop: written, then checked and
// written again on a re-armed timer within the kernel protocol's budget (22 writes 59 ms apart
// for a state, 9 ms steps for a seek), and completed as soon as the kernel answers. Nothing
// here ever sleeps on the main thread.
#include "kernel/kernel_state.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <functional>
#include <thread>

class QSocketNotifier;

namespace korvane {

struct KernelClient;
struct KernelSlot;

class KernelLink : public QObject {
    Q_OBJECT
public:
    // Called with true when the kernel reports the state, false when it did not within the
    // budget or has gone.
    using Done = std::function<void(bool confirmed)>;

    explicit KernelLink(KernelClient& client, QObject* parent = nullptr);
    ~KernelLink() override;

    // LaunchKernel calls this once the process is started (or failed to start): the link
    // follows the new kernel's answers and its end. A request still under way is dropped.
    void Launched();
    // The client's kernel was let go: a request still under way is dropped without an answer.
    void Released();

    // Asks for a state. With no kernel ready, `done` runs at once with true and nothing is
    // written. A request under way gives way to the new one (its `done` never runs).
    void RequestState(RequestedState target, Done done = {});
    void RequestPlay(Done done = {}) { RequestState(RequestedState::Run, std::move(done)); }
    void RequestPause(Done done = {}) { RequestState(RequestedState::Pause, std::move(done)); }
    void RequestStop(Done done = {}) { RequestState(RequestedState::Stop, std::move(done)); }
    bool StatePending() const { return requestTick_.isActive(); }
    // Writes made for the state request under way or last finished.
    int Writes() const { return writes_; }

    // Writes a seek position; when the slot no longer holds it right after, it is written again
    // in 9 ms steps, given up after a bounded number of steps. While a state request is under
    // way the seek waits for it to end, so that the kernel takes them in the order they came.
    void RequestSeek(int64_t position100ns);
    bool SeekPending() const { return seekTick_.isActive() || seekAfterRequest_; }
    // False when the last seek was given up (the slot kept losing it).
    bool SeekHeld() const { return !seekGivenUp_; }

signals:
    // The kernel published a change in its slot (ready, build error, request taken, state).
    void answered();
    // The kernel process launched last has ended, or could not be started.
    void gone();
    // A state request ended: confirmed by the kernel, or not within its budget.
    void stateRequestFinished(korvane::RequestedState target, bool confirmed, int writes);

private:
    void Watch(KernelSlot* slot);
    void StopWatching();
    void FollowEnd();
    void StopFollowingEnd();
    void OnAnswer();
    void OnRequestTick();
    void FinishRequest(bool confirmed);
    void CancelRequest();
    void OnSeekTick();
    void WriteSeek();

    KernelClient& client_;

    // The watcher thread and the slot it sleeps on.
    KernelSlot* watched_ = nullptr;
    std::thread watcher_;
    std::atomic<bool> stopWatching_{false};
    std::atomic<bool> answerPosted_{false};

    // The end of the process launched last.
    int endFd_ = -1;
    int endPid_ = -1;
    QSocketNotifier* endNotifier_ = nullptr;

    // The state request under way.
    QTimer requestTick_;
    int32_t target_ = -1;
    int writes_ = 0;
    Done done_;

    // The seek under way.
    QTimer seekTick_;
    int64_t seekTarget_ = -1;
    int seekSteps_ = 0;
    bool seekGivenUp_ = false;
    bool seekAfterRequest_ = false;   // a seek waits for the state request under way
};

} // namespace korvane
