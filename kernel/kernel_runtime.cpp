#include "kernel/kernel_runtime.h"

#include "kernel/control_block.h"
#include "kernel/kernel_log.h"
#include "platform/child_process.h"
#include "platform/message_box.h"
#include "platform/process_peer.h"
#include "platform/shared_memory.h"
#include "platform/shared_wait.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>

namespace korvane {
namespace {
constexpr int kTickMs = 50;
constexpr int kStateTimeoutMs = 1000;
constexpr int kCallerNameMax = 519;
// A kernel that cannot work (no slot, no graph) and has been let go is ended this long after
// its close was requested, even when a message box still holds its main thread.
constexpr int kCloseGraceMs = 1000;

void ShowKernelBox(const char* text)
{
    qCWarning(lcKernel) << "kernel start failed:" << text;
    ShowMessageBox(QGuiApplication::applicationDisplayName(), QString::fromLatin1(text));
}
} // namespace

KernelRuntime::KernelRuntime(QWidget* mainWindow, QTimer* tmClose, QTimer* tmHide)
    : QObject(mainWindow), mainWindow_(mainWindow), tmClose_(tmClose), tmHide_(tmHide),
      parentAtStart_(platform::ParentProcessId()), ownPid_(platform::OwnProcessId())
{
    // A close is always granted in the kernel role; the window is hidden, so closing it alone
    // would not end the event loop.
    if (tmClose_)
        connect(tmClose_, &QTimer::timeout, this, [] { QCoreApplication::quit(); }, Qt::QueuedConnection);
}

KernelRuntime::~KernelRuntime()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        resumed_ = true;
    }
    wake_.notify_all();
    if (commandThread_.joinable())
        commandThread_.join();
    if (guardThread_.joinable())
        guardThread_.join();
}

bool KernelRuntime::ParseKernelCommandLine(const QString& commandLineText)
{
    callerName.clear();
    if (commandLineText.isEmpty())
        return false;
    const QStringList tokens = commandLineText.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    if (tokens.isEmpty())
        return false;
    int colon = tokens[0].indexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    callerName = tokens[0].mid(colon + 1).left(kCallerNameMax);
    if (tokens.size() < 2)
        return false;
    colon = tokens[1].indexOf(QLatin1Char(':'));
    if (colon < 0)
        return false;
    // Decimal digits only: "-1", "" or "1x" name no slot (the slot range is checked on mapping).
    const QString rest = tokens[1].mid(colon + 1);
    if (rest.isEmpty())
        return false;
    int64_t value = 0;
    for (QChar c : rest) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
        if (value > INT32_MAX)
            return false;
    }
    kernelId = static_cast<int32_t>(value);
    return true;
}

void KernelRuntime::StartKernel(const QString& commandLineText)
{
    // 1. Hidden within a millisecond.
    if (tmHide_)
        tmHide_->start();
    slot = nullptr;
    ownPid_ = platform::OwnProcessId();
    parentAtStart_ = platform::ParentProcessId();
    // A kernel never outlives the viewer that started it.
    platform::EndWithParent(SIGTERM);
    guardThread_ = std::thread([this] { GuardThread(); });

    // 2. A command line that names no slot: nothing to do, so the kernel ends.
    if (!ParseKernelCommandLine(commandLineText)) {
        StartCloseTimer();
        return;
    }
    // 3. Priority stays normal; there is no COM to initialise.
    // 4. The slot.
    if (!OpenControlBlock(ControlBlockName(), false)) {
        ShowKernelBox("VCRError3");
        StartCloseTimer();
        return;
    }
    KernelSlot* mapped = MapSlot(kernelId);
    if (!mapped) {
        ShowKernelBox("VCRError2");
        StartCloseTimer();
        return;
    }
    // Only a live viewer of this user, one that has the block mapped, may start a kernel: a
    // kernel started by hand would take over a channel it was never given, or never end.
    if (!platform::ProcessOfUserMapsBlock(parentAtStart_,
                                          platform::SharedMemoryObjectName(ControlBlockName().toStdString()))) {
        qWarning("korvane kernel: not started by a viewer of this user; ending");
        StartCloseTimer();
        return;
    }
    // The slot is claimed at once, so that a viewer that releases or relaunches it while the
    // graph is still being built is noticed.
    mapped->processId.store(static_cast<uint32_t>(ownPid_));
    // A slot the viewer released before this kernel got here has no path any more: the claim is
    // taken back and the kernel ends quietly, leaving the slot as free as it found it.
    if (std::atomic_ref<char16_t>(mapped->mediaPath[0]).load() == 0) {
        uint32_t own = static_cast<uint32_t>(ownPid_);
        mapped->processId.compare_exchange_strong(own, 0);
        qWarning("korvane kernel: the slot was released before the kernel started; ending");
        StartCloseTimer();
        return;
    }
    slot = mapped;
    claimedSlot_ = mapped;
    // 5.
    if (mainWindow_)
        mainWindow_->setWindowTitle(QStringLiteral("VCR Kern"));
    // 6.
    player.Create(slot->renderWindow.load());
    // A failed build is marked in the slot before its box shows, so that the viewer need not
    // wait for a kernel that will never be ready: the connection is direct, whichever thread
    // builds.
    connect(&player, &MediaGraphPlayer::buildFailed, this, &KernelRuntime::MarkBuildFailed,
            static_cast<Qt::ConnectionType>(Qt::DirectConnection | Qt::UniqueConnection));
    // 7. Build with the first frame shown and the graph stopped.
    slot->duration.store(0);
    // A channel that is not to be heard builds its sound branch silent from the start.
    player.SetMuted(slot->muteAudio.load() != 0);
    const bool opened = player.Open(SlotMediaPath(*slot), 0);
    if (!opened || player.lastBuildError() != 0)
        return;  // ready stays 0; the guard ends the kernel once it is let go
    player.ShowFirstFrameStopped();
    slot->duration.store(player.duration);
    slot->audioOutput.store(static_cast<uint8_t>(player.SoundOutput()));
    // 8. The command thread waits until it is resumed.
    commandThread_ = std::thread([this] { CommandThread(); });
    // 9. Publish; ready last. A slot released or taken over meanwhile is left alone (the guard
    //    then ends this kernel).
    slot->alive.store(1);
    player.active = 1;
    uint32_t own = static_cast<uint32_t>(ownPid_);
    if (ViewerGone() || !slot->processId.compare_exchange_strong(own, own))
        return;
    slot->kernelWindow.store(mainWindow_ ? static_cast<uint32_t>(mainWindow_->winId()) : 1u);
    if (Released())
        return;
    slot->ready.store(1);
    published_ = true;
    Answer();
    // 10. Resume.
    {
        std::lock_guard lock(mutex_);
        resumed_ = true;
    }
    wake_.notify_all();
}

void KernelRuntime::SleepMs(int ms)
{
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stopping_; });
}

void KernelRuntime::CommandThread()
{
    {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return resumed_; });
        if (stopping_)
            return;
    }
    while (player.mediaPath.size() < 6) {
        SleepMs(kTickMs);
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
    }
    for (;;) {
        KernelTick();
        if (suspended_)
            return;
        // Until the next pass, or until the viewer writes a new request and wakes the kernel.
        platform::WaitWhileEqual(slot->requestedState, slot->requestedState.load(), kTickMs);
        std::lock_guard lock(mutex_);
        if (stopping_)
            return;
    }
}

// Until the kernel is published the command loop does not run; this thread makes sure that a
// kernel whose build failed, hangs or shows a box still ends once its viewer lets it go.
void KernelRuntime::GuardThread()
{
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            if (wake_.wait_for(lock, std::chrono::milliseconds(kTickMs),
                               [this] { return stopping_; }))
                return;
        }
        if (published_)
            return;
        KernelSlot* claimed = claimedSlot_.load();
        if (ViewerGone() || (claimed && claimed->processId.load() != static_cast<uint32_t>(ownPid_))) {
            StartCloseTimer();
            SleepMs(kCloseGraceMs);
            std::lock_guard lock(mutex_);
            if (!stopping_)
                platform::ExitProcessNow(0);
            return;
        }
    }
}

bool KernelRuntime::ViewerGone() const
{
    return platform::ParentProcessId() != parentAtStart_;
}

bool KernelRuntime::Released() const
{
    return slot->processId.load() != static_cast<uint32_t>(ownPid_);
}

void KernelRuntime::StartCloseTimer()
{
    // Under the lock, so that nothing is posted to the timer once the runtime is going away.
    std::lock_guard lock(mutex_);
    if (!tmClose_ || stopping_)
        return;
    QTimer* timer = tmClose_;
    QMetaObject::invokeMethod(timer, [timer] { timer->start(); }, Qt::QueuedConnection);
}

void KernelRuntime::KernelTick()
{
    // 1. Release check: a zeroed slot, a slot taken over by another kernel, or a viewer that
    //    has gone ends the loop for good.
    if (slot->kernelWindow.load() == 0 || Released() || ViewerGone()) {
        StartCloseTimer();
        suspended_ = true;
        return;
    }
    // 2. Position.
    //    Stamped with the middle of the query: a pass held up by a busy machine during the query
    //    is then off by half the delay at most rather than by all of it.
    int64_t p = 0;
    const uint32_t asked = SlotClockMs();
    if (player.CurrentPosition(p)) {
        const uint32_t answered = SlotClockMs();
        PublishPosition(*slot, p, asked + static_cast<uint32_t>(SlotClockSpan(asked, answered) / 2));
    } else {
        p = slot->position.load();
    }
    // 3. Seek; a request equal to the position stays pending.
    int64_t seek = slot->seekRequest.load();
    if (seek >= 0 && seek != p) {
        player.SetPosition(seek);
        // A newer request written meanwhile stays for the next pass.
        if (slot->seekRequest.compare_exchange_strong(seek, -1))
            Answer();
    }
    // 3b. Speed: a channel kept in step with another one plays slightly faster or slower for a
    //     while. A seek plays at normal speed, so the speed asked for is taken again after one.
    const int rate = std::clamp<int>(slot->rateOffset.load(), -kMaxRateOffset, kMaxRateOffset);
    if (rate != player.RateOffset() && rate != refusedRate_) {
        if (player.SetRateOffset(rate))
            refusedRate_ = kNoRefusedRate;
        else {
            refusedRate_ = rate;
            qCWarning(lcKernel) << "the graph refused to play at rate offset" << rate;
        }
    }
    slot->playingRate.store(static_cast<int8_t>(player.RateOffset()));
    // 4. State.
    ReportGraphState();
    // 5. Command.
    int32_t command = slot->command.load();
    if (command == ToSlot(KernelCommand::FitVideo)) {
        player.FitVideo();
        slot->command.compare_exchange_strong(command, ToSlot(KernelCommand::None));
    } else if (command == ToSlot(KernelCommand::Close)) {
        StartCloseTimer();
        slot->command.compare_exchange_strong(command, ToSlot(KernelCommand::None));
    }
    // 6. Sound: silenced or heard as the viewer asks (only one channel of a moment is heard),
    //    and what the graph does reported back.
    const bool mute = slot->muteAudio.load() != 0;
    if (mute != player.Muted())
        player.SetMuted(mute);
    const auto sound = static_cast<uint8_t>(player.SoundOutput());
    if (slot->audioOutput.exchange(sound) != sound)
        Answer();
    // 7. Request.
    int32_t request = slot->requestedState.load();
    switch (static_cast<RequestedState>(request)) {
    case RequestedState::Stop:
    case RequestedState::Pause:
    case RequestedState::Run:
        ApplyState(static_cast<RequestedState>(request));
        targetState = request;
        slot->requestedState.compare_exchange_strong(request, ToSlot(RequestedState::None));
        // The graph's answer is reported in the same pass, so that a viewer waiting for it (a
        // switch that keeps the last frame up until the new recording runs) need not wait for
        // the next one. A request for the state the graph is in already is answered too.
        ReportGraphState();
        Answer();
        break;
    case RequestedState::Quit:
        StartCloseTimer();
        slot->requestedState.compare_exchange_strong(request, ToSlot(RequestedState::None));
        break;
    default:
        break;
    }
    // 8. Enforce the state last commanded until the graph reports it.
    if (targetState != reportedState) {
        ApplyState(static_cast<RequestedState>(targetState));
        if (targetState == ToSlot(RequestedState::Run)) {
            int32_t run = ToSlot(RequestedState::Run);
            slot->requestedState.compare_exchange_strong(run, ToSlot(RequestedState::None));
        }
    }
}

void KernelRuntime::ReportGraphState()
{
    int32_t state = 0;
    if (player.GetState(kStateTimeoutMs, state)) {
        reportedState = state;
        if (slot->graphState.exchange(state) != state)
            Answer();
    }
}

void KernelRuntime::MarkBuildFailed(int code)
{
    // A slot released meanwhile is left alone.
    if (!Released()) {
        slot->buildError.store(code);
        Answer();
    }
}

void KernelRuntime::Answer()
{
    slot->answers.fetch_add(1);
    platform::WakeWaiters(slot->answers);
}

void KernelRuntime::ApplyState(RequestedState state)
{
    switch (state) {
    case RequestedState::Stop:
        player.StopAndRewind();
        break;
    case RequestedState::Pause:
        player.Pause();
        break;
    case RequestedState::Run:
        if (!player.Run())
            ReportError(kRunErrorNumber);
        break;
    default:
        break;
    }
}

void KernelRuntime::ReportError(int code)
{
    if (QThread::currentThread() == thread()) {
        qCWarning(lcKernel, "kernel %d: error 0x%04X", kernelId, code);
        ShowErrorNumber(code);
        return;
    }
    // One box at a time: further failures while it waits or shows are only logged at debug level.
    if (errorBoxPending_.exchange(true)) {
        qCDebug(lcKernel, "kernel %d: error 0x%04X again", kernelId, code);
        return;
    }
    qCWarning(lcKernel, "kernel %d: error 0x%04X", kernelId, code);
    QMetaObject::invokeMethod(this, [this, code] {
        ShowErrorNumber(code);
        errorBoxPending_ = false;
    }, Qt::QueuedConnection);
}

} // namespace korvane
