#pragma once
// The viewer's side of a playback channel: the record that ties a kernel slot to a panel of the
// viewer, the launch and release of the channel's kernel process, and the small requests the
// player window makes through the slot (play, pause, stop, seek, position, duration).
// Every operation runs on the viewer's main thread; the waits below block it by design.
#include "kernel/kernel_slot.h"
#include "kernel/time_units.h"
#include "mp4parse/telemetry_types.h"

#include <QString>

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

class QLabel;
class QWidget;

namespace korvane {

class ThumbnailCell;

struct PlaybackChannel {
    int32_t id = 0;
    int64_t duration = 0;           // 100 ns units, copied from the slot
    float durationSeconds = 0.0f;   // duration / 10 010 000
    QString mediaPath;              // at most 259 characters once launched
    QString sidecarPath;
    QString launchFolder;           // working folder of the kernel process
    QString callerName;             // "Korvane"
    std::vector<std::string> lines;
    ThumbnailCell* cell = nullptr;  // owned by the library
    TelemetryTrack track;
    TelemetrySample currentSample;
    KernelSlot* slot = nullptr;
    uint32_t renderWindow = 0;      // X11 window id of `panel`
    QWidget* panel = nullptr;
    QLabel* image = nullptr;
    PlaybackChannel* partner = nullptr;

    pid_t kernelPid = -1;           // the process last launched for this channel
};

constexpr int kMediaPathLaunchMax = 259;
constexpr int kRequestSleepMs = 59;
constexpr int kRequestMaxWrites = 22;
constexpr int kSeekSleepMs = 9;

// The executable started for kernels: /proc/self/exe unless set (tools and tests set it).
void SetKernelExecutable(const QString& path);
QString KernelExecutable();

// Stores the values, lets the image fill the panel, takes the panel's native window as
// renderWindow and clears duration, cell, lines and mediaPath.
void SetUpChannel(PlaybackChannel& channel, int32_t id, QWidget* panel, QLabel* image, KernelSlot* slot);
// Zeroes the slot, writes the path (cut to 259 characters) and the panel into it and starts a
// kernel "/CALLER:<callerName>/ID:<id>" in launchFolder. False for a path under 5 characters.
bool LaunchKernel(PlaybackChannel& channel, const QString& path, ThumbnailCell* cell);
// Lets the channel's kernel go: the slot is zeroed and the kernel ends on its next pass.
void ReleaseChannel(PlaybackChannel& channel);
// Releases the slot for good and frees the telemetry lines (at shut-down).
void CloseChannel(PlaybackChannel& channel);
// True once the kernel is ready; copies its duration.
bool ReadDuration(PlaybackChannel& channel);
// State requests: write, sleep 59 ms, check, up to 22 writes in all. True at once when no kernel
// is ready. `writes`, when given, receives the number of writes made.
bool RequestPlay(PlaybackChannel& channel, int* writes = nullptr);
bool RequestPause(PlaybackChannel& channel, int* writes = nullptr);
bool RequestStop(PlaybackChannel& channel, int* writes = nullptr);
void RequestFitVideo(PlaybackChannel& channel);
// Writes the seek position until the slot holds it (9 ms steps, bounded).
bool RequestSeek(PlaybackChannel& channel, int64_t position100ns);
int64_t ReadPosition(const PlaybackChannel& channel);
// Releases the current channel and its partner, then ends any kernel this viewer started that
// is still running (by pid; nothing else is ever ended).
void KillStaleEngines(PlaybackChannel& current);
// Ends every kernel this viewer started (by pid) and waits up to `waitMs` for them to go.
void EndLaunchedKernels(int waitMs);

} // namespace korvane
