#pragma once
// The viewer's side of one kernel: its slot, the process launched for it, and the small requests
// the viewer makes through the slot (play, pause, stop, seek, position, duration). The player's
// channel record builds on it; nothing here knows recordings, panels or telemetry.
// Every operation runs on the viewer's main thread and returns at once: requests that wait for
// the kernel's answer are carried out by the client's KernelLink on the event loop.
#include "kernel/kernel_link.h"
#include "kernel/kernel_slot.h"
#include "kernel/kernel_state.h"
#include "kernel/time_units.h"

#include <QString>

#include <cstdint>
#include <sys/types.h>

class QWidget;

namespace korvane {

struct KernelClient {
    int32_t id = 0;
    int64_t duration = 0;           // 100 ns units, copied from the slot
    float durationSeconds = 0.0f;   // duration / 10 010 000
    QString mediaPath;              // at most 259 characters once launched
    QString launchFolder;           // working folder of the kernel process
    QString callerName;             // "Korvane"
    KernelSlot* slot = nullptr;
    uint32_t renderWindow = 0;      // X11 window the kernel draws into
    pid_t kernelPid = -1;           // the process last launched for this client
    bool startFailed = false;       // the last launch could not start the process at all
    bool muted = false;             // the kernel's sound stays silent (another channel is heard)
    KernelLink* link = nullptr;     // the link that carries out requests and reports answers
};

constexpr int kMediaPathLaunchMax = 259;
constexpr int kRequestSleepMs = 59;
constexpr int kRequestMaxWrites = 22;
constexpr int kSeekSleepMs = 9;

// The executable started for kernels: /proc/self/exe unless set (tools and tests set it).
void SetKernelExecutable(const QString& path);
QString KernelExecutable();

// Stores the values, takes the panel's native window (made one when needed) as renderWindow
// and clears duration and mediaPath.
void SetUpKernelClient(KernelClient& client, int32_t id, QWidget* panel, KernelSlot* slot);
// The same for channel `channel` of moment set `set` (kernel/moment_slots.h): the client's kernel
// ID is that channel's slot, mapped from the open control block. False (and the client left
// without a slot) when the set or channel lies outside the block or the slot cannot be mapped.
bool SetUpMomentClient(KernelClient& client, int set, int channel, QWidget* panel);
// Zeroes the slot, writes the path (cut to 259 characters), the panel and whether the sound stays
// silent (`muted`) into it and starts a kernel "/CALLER:<callerName>/ID:<id>" in launchFolder.
// False for a path under 5 characters.
// A process that cannot be started at all sets startFailed, frees the slot again and counts
// as gone (KernelGone) at once.
bool LaunchKernel(KernelClient& client, const QString& path);
// Silences the client's kernel or lets it be heard; a kernel launched later starts that way.
// The kernel takes it on its next pass and reports what its graph does in audioOutput.
void SetKernelMuted(KernelClient& client, bool muted);
// Lets the kernel go: the slot is zeroed and the kernel ends on its next pass.
void ReleaseKernel(KernelClient& client);
// True once the kernel is ready; copies its duration.
bool ReadDuration(KernelClient& client);
// Writes a state request into the slot and wakes a kernel sleeping between its passes.
void WriteStateRequest(KernelSlot& slot, int32_t request);
// Writes a state request without waiting; false when no kernel is ready to take it.
bool PostRequest(KernelClient& client, RequestedState target);
// State requests through the client's link: written, then written again every 59 ms until the
// kernel confirms, up to 22 writes; `done` (when given) learns the outcome. With no kernel ready
// `done` runs at once with true.
void RequestPlay(KernelClient& client, KernelLink::Done done = {});
void RequestPause(KernelClient& client, KernelLink::Done done = {});
void RequestStop(KernelClient& client, KernelLink::Done done = {});
void RequestFitVideo(KernelClient& client);
// Writes the seek position through the client's link, again in 9 ms steps while the slot does
// not hold it (bounded).
void RequestSeek(KernelClient& client, int64_t position100ns);
int64_t ReadPosition(const KernelClient& client);
// The position with the instant the kernel read it (clockMs 0 when it cannot tell).
StampedPosition ReadStamped(const KernelClient& client);
// True while the kernel's graph reports running.
bool GraphRunning(const KernelClient& client);
// Asks the kernel to play at 1 + offset/1000 of normal speed (within kMaxRateOffset) until asked
// otherwise; it takes the request on its next pass and reports the speed in playingRate.
void SetRateOffset(KernelClient& client, int offset);
// The error number the client's kernel marked its slot with when its build failed; 0 when none.
int32_t BuildError(const KernelClient& client);
// True when the kernel launched for the client has ended while its slot still names it: it died
// or was killed; also when its process could not be started at all. A released kernel (slot
// zeroed) or one that never claimed its slot is not gone.
bool KernelGone(const KernelClient& client);
// Releases both clients, then ends any kernel this viewer started that is still running (by
// pid; nothing else is ever ended).
void KillStaleEngines(KernelClient& current, KernelClient* partner);
// Ends every kernel this viewer started (by pid) and waits up to `waitMs` for them to go.
void EndLaunchedKernels(int waitMs);

} // namespace korvane
