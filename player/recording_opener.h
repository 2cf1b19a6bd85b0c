#pragma once
// Opening recordings: a double click on a cell (after a short delay that lets a second double
// click replace the first), the next recording of continuous play and the open-folder command.
// Opening loads the recording's telemetry, launches the kernel in the current channel and hands
// over to the controller, which waits for the kernel to be ready.
//
//   library.recordingActivated -> RecordingActivated -> (5 x 100 ms) -> OpenRecording
//     -> LoadTelemetry, LaunchKernel -> PlaybackController::StartWaitReady
#include <QObject>
#include <QTimer>

#include "library/recording_ref.h"
#include "mp4parse/mp4_parser.h"

namespace korvane {

class PlaybackController;
class PlayerHost;
class RecordingLibrary;
struct PlaybackChannel;

class RecordingOpener : public QObject {
    Q_OBJECT
public:
    RecordingOpener(PlaybackController& player, RecordingLibrary& library, PlayerHost& host,
                    QObject* parent = nullptr);

    // Opens a recording in the current channel; true when its kernel was launched. A recording
    // that has gone shows "ファイルが見つかりません!"; one whose telemetry cannot be read plays
    // without telemetry. A cut recording plays its repaired copy, and is refused without one.
    bool OpenRecording(const RecordingRef& ref);
    // Loads the telemetry of the channel's mediaPath and sidecarPath into its lines and track;
    // one that cannot be read leaves them empty. `gpsSeen` is set once a position is found.
    void LoadChannelTelemetry(PlaybackChannel& channel, bool& gpsSeen);
    // Continuous play's prepared partner was loaded with a flag of its own; once it plays, what
    // it found counts as seen.
    void NoteGpsSeen(bool seen) { gpsSeen_ = gpsSeen_ || seen; }
    // File > Open (Ctrl+O): stops playback, asks for a file and opens its folder.
    void OpenFolderCommand();
    // What OpenFolderCommand does once the dialog has given a folder.
    void OpenChosenFolder(const QString& folder);
    // The viewer reset, switch by switch.
    void ResetViewer(bool video, bool maps, bool telemetry, bool buttons, bool grids);

    Mp4Parser& TelemetryParser() { return parser_; }
    bool GpsSeen() const { return gpsSeen_; }
    const RecordingRef& Pending() const { return pending_; }
    QTimer& FileRunTimer() { return tmFileRun_; }

public slots:
    // A double click on a recording of the grids.
    void RecordingActivated(const korvane::RecordingRef& ref);

private:
    void tmFileRunTimer();
    void PassFinished();

    PlaybackController& player_;
    RecordingLibrary& library_;
    PlayerHost& host_;
    Mp4Parser parser_;
    bool gpsSeen_ = false;
    QTimer tmFileRun_;
    int fileRunTicks_ = 0;
    RecordingRef pending_;
};

} // namespace korvane
