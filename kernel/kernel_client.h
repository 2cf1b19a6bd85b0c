#pragma once
// The viewer's side of one kernel: its slot, the process launched for it, and the small requests
// the viewer makes through the slot (play, pause, stop, seek, position, duration). The player's
// channel record builds on it; nothing here knows recordings, panels or telemetry.
// Every operation runs on the viewer's main thread; the waits below block it by design.
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
// Zeroes the slot, writes the path (cut to 259 characters) and the panel into it and starts a
// kernel "/CALLER:<callerName>/ID:<id>" in launchFolder. False for a path under 5 characters.
// A process that cannot be started at all sets startFailed, frees the slot again and counts
// as gone (KernelGone) at once.
bool LaunchKernel(KernelClient& client, const QString& path);
// Lets the kernel go: the slot is zeroed and the kernel ends on its next pass.
void ReleaseKernel(KernelClient& client);
// True once the kernel is ready; copies its duration.
bool ReadDuration(KernelClient& client);
// State requests: write, sleep 59 ms, check, up to 22 writes in all. True at once when no kernel
// is ready. `writes`, when given, receives the number of writes made.
bool RequestState(KernelClient& client, RequestedState target, int* writes = nullptr);
// Writes a state request without waiting; false when no kernel is ready to take it.
bool PostRequest(KernelClient& client, RequestedState target);
bool RequestPlay(KernelClient& client, int* writes = nullptr);
bool RequestPause(KernelClient& client, int* writes = nullptr);
bool RequestStop(KernelClient& client, int* writes = nullptr);
void RequestFitVideo(KernelClient& client);
// Writes the seek position until the slot holds it (9 ms steps, bounded).
bool RequestSeek(KernelClient& client, int64_t position100ns);
int64_t ReadPosition(const KernelClient& client);
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
