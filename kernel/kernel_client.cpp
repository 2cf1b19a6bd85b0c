#include "kernel/kernel_client.h"

#include "platform/child_process.h"
#include "platform/shared_wait.h"

#include "kernel/kernel_log.h"

#include <QFile>
#include <QWidget>

#include <algorithm>
#include <chrono>
#include <set>
#include <thread>

namespace korvane {
namespace {
constexpr int kMinLaunchPath = 5;
constexpr int kCommandLineMax = 519;
// A seek write that keeps being cleared (a kernel seeking again and again) is given up after
// this many 9 ms steps, so the main thread is never held for long.
constexpr int kSeekMaxSteps = 110;

QString g_kernelExecutable;
std::set<pid_t> g_kernelPids;

void SleepMs(int ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A kernel sleeping between passes wakes at once when its request changes.
void WriteRequest(KernelSlot& slot, int32_t request)
{
    slot.requestedState.store(request);
    platform::WakeWaiters(slot.requestedState);
}

} // namespace

bool RequestState(KernelClient& channel, RequestedState requested, int* writes)
{
    const int32_t target = ToSlot(requested);
    int count = 0;
    auto finish = [&](bool result) {
        if (writes)
            *writes = count;
        return result;
    };
    KernelSlot* slot = channel.slot;
    if (!slot || slot->ready.load() == 0)
        return finish(true);
    WriteRequest(*slot, target);
    ++count;
    SleepMs(kRequestSleepMs);
    if (slot->graphState.load() == target)
        return finish(true);
    for (int i = 1; i < kRequestMaxWrites; ++i) {
        // A kernel that has died never confirms: no point holding the main thread for it.
        if (KernelGone(channel))
            return finish(false);
        WriteRequest(*slot, target);
        ++count;
        SleepMs(kRequestSleepMs);
        if (i < kRequestMaxWrites - 1 && slot->graphState.load() == target)
            return finish(true);
    }
    qCWarning(lcKernel) << "kernel" << channel.id << "did not confirm state" << target;
    return finish(false);
}

bool PostRequest(KernelClient& channel, RequestedState requested)
{
    KernelSlot* slot = channel.slot;
    if (!slot || slot->ready.load() == 0)
        return false;
    WriteRequest(*slot, ToSlot(requested));
    return true;
}

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
        // KernelGone instead of after the whole wait.
        qCWarning(lcKernel) << "could not start the kernel" << KernelExecutable();
        ZeroSlot(*channel.slot);
    }
    return true;
}

void ReleaseKernel(KernelClient& channel)
{
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

bool RequestPlay(KernelClient& channel, int* writes) { return RequestState(channel, RequestedState::Run, writes); }
bool RequestPause(KernelClient& channel, int* writes) { return RequestState(channel, RequestedState::Pause, writes); }
bool RequestStop(KernelClient& channel, int* writes) { return RequestState(channel, RequestedState::Stop, writes); }

void RequestFitVideo(KernelClient& channel)
{
    if (channel.slot)
        channel.slot->command.store(ToSlot(KernelCommand::FitVideo));
}

bool RequestSeek(KernelClient& channel, int64_t position100ns)
{
    KernelSlot* slot = channel.slot;
    if (!slot)
        return false;
    slot->seekRequest.store(position100ns);
    for (int step = 0; slot->seekRequest.load() != position100ns; ++step) {
        if (step >= kSeekMaxSteps)
            return false;
        slot->seekRequest.store(position100ns);
        SleepMs(kSeekSleepMs);
    }
    return true;
}

int64_t ReadPosition(const KernelClient& channel)
{
    return channel.slot ? channel.slot->position.load() : 0;
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
