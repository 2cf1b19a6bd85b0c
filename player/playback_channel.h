#pragma once
// The player's channel record: a kernel client (slot, process, requests) with the panel it draws
// into, the picture that holds a frozen frame, the recording it plays and that recording's
// telemetry. The player keeps two of them and switches between them for continuous play.
#include "kernel/kernel_client.h"
#include "library/recording_ref.h"
#include "mp4parse/telemetry_types.h"

#include <string>
#include <vector>

class QLabel;
class QWidget;

namespace korvane {

struct PlaybackChannel : KernelClient {
    RecordingRef ref;               // the recording loaded or being loaded; invalid when none
    QString sidecarPath;
    std::vector<std::string> lines;
    TelemetryTrack track;
    TelemetrySample currentSample;
    QWidget* panel = nullptr;
    QLabel* image = nullptr;
    PlaybackChannel* partner = nullptr;
};

// Stores the values, lets the image fill the panel, takes the panel's native window as
// renderWindow and clears duration, recording, lines and mediaPath.
void SetUpChannel(PlaybackChannel& channel, int32_t id, QWidget* panel, QLabel* image, KernelSlot* slot);
// Lets the channel's kernel go and forgets its recording.
void ReleaseChannel(PlaybackChannel& channel);
// Releases the slot for good and frees the telemetry lines (at shut-down).
void CloseChannel(PlaybackChannel& channel);
// Releases the channel and its partner and ends any kernel this viewer started that still runs.
void KillStaleEngines(PlaybackChannel& current);

} // namespace korvane
