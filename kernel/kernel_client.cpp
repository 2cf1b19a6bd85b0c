#include "kernel/kernel_client.h"

#include "platform/child_process.h"
#include "platform/shared_wait.h"

#include "kernel/control_block.h"
#include "kernel/kernel_log.h"
#include "kernel/moment_slots.h"

#include <QFile>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <set>

namespace korvane {
namespace {
constexpr int kMinLaunchPath = 5;
constexpr int kCommandLineMax = 519;

QString g_kernelExecutable;
std::set<pid_t> g_kernelPids;
} // namespace

// A kernel sleeping between passes wakes at once when its request changes.
void WriteStateRequest(KernelSlot& slot, int32_t request)
{
    slot.requestedState.store(request);
    platform::WakeWaiters(slot.requestedState);
}

bool PostRequest(KernelClient& channel, RequestedState requested)
{
    KernelSlot* slot = channel.slot;
    if (!slot || slot->ready.load() == 0)
        return false;
    WriteStateRequest(*slot, ToSlot(requested));
    return true;
}

namespace {
// Requests go through the client's link; a client without one (a programming error) has its
// request written once and reported unconfirmed, so that nothing waits for ever.
void SendState(KernelClient& channel, RequestedState target, KernelLink::Done done)
{
    if (channel.link) {
        channel.link->RequestState(target, std::move(done));
        return;
    }
    qCWarning(lcKernel) << "kernel" << channel.id << "has no link; request written once";
    const bool written = PostRequest(channel, target);
    if (done)
        done(!written);
}
} // namespace

void SetKernelExecutable(const QString& path) { g_kernelExecutable = path; }

QString KernelExecutable()
{
    return g_kernelExecutable.isEmpty() ? QString::fromStdString(platform::OwnExecutablePath())
                                        : g_kernelExecutable;
}

void SetUpKernelClient(KernelClient& channel, int32_t id, QWidget* panel, KernelSlot* slot)
{
    channel.id = id;
    channel.slot = slot;
    channel.renderWindow = 0;
    if (panel) {
        panel->setAttribute(Qt::WA_NativeWindow);
        channel.renderWindow = static_cast<uint32_t>(panel->winId());
    }
    channel.duration = 0;
    channel.durationSeconds = 0.0f;
    channel.mediaPath.clear();
}

bool SetUpMomentClient(KernelClient& client, int set, int channel, QWidget* panel)
{
    const int id = MomentSlotId(set, channel);
    KernelSlot* slot = id >= 0 ? MapSlot(id) : nullptr;
    SetUpKernelClient(client, id < 0 ? 0 : id, panel, slot);
    if (!slot)
        qCWarning(lcKernel) << "no slot for channel" << channel << "of set" << set;
    return slot != nullptr;
}

bool LaunchKernel(KernelClient& channel, const QString& path)
{
    // A path the slot would have to cut names another file: refused like a too short one.
    if (path.size() < kMinLaunchPath || path.size() > kMediaPathLaunchMax || !channel.slot) {
        qCWarning(lcKernel) << "refused to launch a kernel for a path of" << path.size() << "characters";
        return false;
    }
    ZeroSlot(*channel.slot);
    channel.startFailed = false;
    channel.mediaPath = path.left(kMediaPathLaunchMax);
    SetSlotMediaPath(*channel.slot, channel.mediaPath);
    channel.slot->renderWindow.store(channel.renderWindow);
    channel.slot->muteAudio.store(channel.muted ? 1 : 0);
    channel.slot->duration.store(0);
    const QString parameters =
        QStringLiteral("/CALLER:%1/ID:%2").arg(channel.callerName).arg(channel.id).left(kCommandLineMax);
    const pid_t pid = platform::SpawnChild(QFile::encodeName(KernelExecutable()).toStdString(),
                                           {parameters.toStdString()},
                                           QFile::encodeName(channel.launchFolder).toStdString());
    channel.kernelPid = pid;
    channel.startFailed = pid <= 0;
    std::erase_if(g_kernelPids, [](pid_t p) { return !platform::ChildRunning(p); });
    if (pid > 0) {
        g_kernelPids.insert(pid);
    } else {
        // Nothing will ever claim the slot: it is freed, and the waiter learns at once through
        // KernelGone (and the link's gone signal) instead of after the whole wait.
        qCWarning(lcKernel) << "could not start the kernel" << KernelExecutable();
        ZeroSlot(*channel.slot);
    }
    if (channel.link)
        channel.link->Launched();
    return true;
}

void SetKernelMuted(KernelClient& channel, bool muted)
{
    channel.muted = muted;
    if (channel.slot)
        channel.slot->muteAudio.store(muted ? 1 : 0);
}

void ReleaseKernel(KernelClient& channel)
{
    if (channel.link)
        channel.link->Released();
    if (channel.slot)
        ZeroSlot(*channel.slot);
}

bool ReadDuration(KernelClient& channel)
{
    if (!channel.slot || channel.slot->ready.load() == 0)
        return false;
    channel.duration = channel.slot->duration.load();
    channel.durationSeconds = static_cast<float>(channel.duration / kViewerUnitsPerSecond);
    return true;
}

void RequestPlay(KernelClient& channel, KernelLink::Done done) { SendState(channel, RequestedState::Run, std::move(done)); }
void RequestPause(KernelClient& channel, KernelLink::Done done) { SendState(channel, RequestedState::Pause, std::move(done)); }
void RequestStop(KernelClient& channel, KernelLink::Done done) { SendState(channel, RequestedState::Stop, std::move(done)); }

void RequestFitVideo(KernelClient& channel)
{
    if (channel.slot)
        channel.slot->command.store(ToSlot(KernelCommand::FitVideo));
}

void RequestSeek(KernelClient& channel, int64_t position100ns)
{
    if (channel.link) {
        channel.link->RequestSeek(position100ns);
        return;
    }
    if (channel.slot)
        channel.slot->seekRequest.store(position100ns);
}

int64_t ReadPosition(const KernelClient& channel)
{
    return channel.slot ? channel.slot->position.load() : 0;
}

StampedPosition ReadStamped(const KernelClient& channel)
{
    return channel.slot ? ReadStampedPosition(*channel.slot) : StampedPosition{};
}

bool GraphRunning(const KernelClient& channel)
{
    return channel.slot && channel.slot->graphState.load() == ToSlot(GraphState::Running);
}

void SetRateOffset(KernelClient& channel, int offset)
{
    if (channel.slot)
        channel.slot->rateOffset.store(static_cast<int8_t>(std::clamp(offset, -kMaxRateOffset, kMaxRateOffset)));
}

int32_t BuildError(const KernelClient& channel)
{
    return channel.slot ? channel.slot->buildError.load() : 0;
}

bool KernelGone(const KernelClient& channel)
{
    if (channel.startFailed)
        return true;
    return channel.slot && channel.kernelPid > 0 &&
           channel.slot->processId.load() == static_cast<uint32_t>(channel.kernelPid) &&
           !platform::ChildRunning(channel.kernelPid);
}

void EndLaunchedKernels(int waitMs)
{
    std::vector<pid_t> running;
    for (pid_t pid : g_kernelPids)
        if (platform::ChildRunning(pid))
            running.push_back(pid);
    for (pid_t pid : running)
        platform::EndChild(pid);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (pid_t pid : running) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (waitMs > 0 && !platform::WaitChildEnded(pid, std::max<int>(0, static_cast<int>(left.count()))))
            platform::EndChild(pid, true);
    }
    g_kernelPids.clear();
}

void KillStaleEngines(KernelClient& current, KernelClient* partner)
{
    ReleaseKernel(current);
    if (partner)
        ReleaseKernel(*partner);
    // Released kernels end by themselves; any that still runs (hung, or held by an error box)
    // is a leftover of this viewer and is ended by its pid.
    EndLaunchedKernels(0);
}

} // namespace korvane
