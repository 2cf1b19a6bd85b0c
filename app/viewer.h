#pragma once
// The viewer role's subsystems and their wiring: the recordings library, the playback
// controller with its transport buttons and seek bar, and the shared slots. The displays (the
// clock overlay, the chart and read-outs, the maps) connect to the controller's signals here. It answers the few calls back
// the library and the player make to the window.
#include "mp4parse/telemetry_events.h"
#include <QObject>

#include "library/library_host.h"
#include "player/player_host.h"

class QLabel;
class QTimer;

namespace korvane {

class GroupSelectors;
class MapView;
class MomentChannels;
class PlaybackController;
struct LayoutResult;
class RecordingLibrary;
class SeekBar;
class SkinScrollBarWidget;
class TelemetryHookup;
class TfrmMain;
class TransportBar;
class BusyState;
struct KernelSlot;

class Viewer : public QObject, public LibraryHost, public PlayerHost {
    Q_OBJECT
public:
    // `logicalScale` turns the design's 100 % figures into logical pixels (ui/device_pixels.h);
    // `scalePercent` is the display percentage the chart's proportions follow.
    // `busy` is the shell's; the library, the opener and the seek bar keep their reasons in it.
    Viewer(TfrmMain& window, BusyState& busy, double logicalScale, int scalePercent);
    ~Viewer() override;

    // Start-up steps, in the order the shell calls them.
    void OpenSlots();                                  // shared block and both slots
    void SetUpChannels(const QString& programFolder);  // channels A and B
    // First scan, thumbnails, stale kernels; the recordings come from `recordingFolder` when
    // given, else from the start directory `folder`.
    void OpenStartFolder(const QString& folder, const QString& recordingFolder = QString());
    // After the window layout has placed every control by name: what lives inside the placed
    // controls follows (grids, seek bar, pictures, maps, video windows).
    void Layout(const LayoutResult& layout, double devicePixelRatio);
    void RedrawChart();                                // the chart at the plot's new size
    qint64 LoadedDuration() const;                     // 100-nanosecond units; 0 when none
    // Quit confirmed: both channels close for good, and a stop from now on is the quit's.
    void CloseChannels();
    void PauseIfPlaying();
    // Shut-down: the thumbnail pass stops and the working folder is emptied.
    void Shutdown();

    PlaybackController& Player() { return *player_; }
    RecordingLibrary& Library() { return *library_; }
    SeekBar& Seek() { return *seekBar_; }
    // The other channels of a moment that plays (rear, interior, ...).
    MomentChannels& OtherChannels() { return *others_; }
    TransportBar& Buttons() { return *buttons_; }
    QLabel* plTime() const { return plTime_; }
    TelemetryHookup& Telemetry() { return *telemetry_; }
    MapView* Maps() const { return maps_; }

    // LibraryHost and PlayerHost
    QWidget* MainWindow() override;
    BusyState& Busy() override { return busy_; }
    // The player's opening reason.
    bool ViewerIdle() const override;
    void SetViewerIdle(bool idle) override;
    void StartProcessFinish() override;
    void ShowGroupSelectors(int group) override;
    void SetDataMenusEnabled(bool enabled) override;
    void ShowInformation2(const QString& first, const QString& second) override;
    bool QuitConfirmed() const override;
    void ReportPlaybackFailed(const PlaybackChannel& channel) override;
    void ReportOpenFailed(const QString& caption, const QString& text) override;
    void ReportPlaybackLost(const PlaybackChannel& channel) override;

    // The event thresholds of the state file, read at start-up.
    const EventThresholds& Thresholds() const { return thresholds_; }

private:
    // The state file's speed unit and event thresholds; Setup > "Speed in mph" saves the unit.
    void ApplyViewerState();
    // The displays subscribe to the player and the library.
    void ConnectDisplays();
    // A new folder is opened: position map shown, route map hidden, route polyline cleared.
    void PrepareMapsForNewFolder();

    TfrmMain& window_;
    BusyState& busy_;
    bool quitConfirmed_ = false;
    KernelSlot* slotA_ = nullptr;
    KernelSlot* slotB_ = nullptr;
    TransportBar* buttons_ = nullptr;
    SkinScrollBarWidget* seekWidget_ = nullptr;
    PlaybackController* player_ = nullptr;
    EventThresholds thresholds_;
    SeekBar* seekBar_ = nullptr;
    MomentChannels* others_ = nullptr;
    RecordingLibrary* library_ = nullptr;
    QLabel* plTime_ = nullptr;
    GroupSelectors* selectors_ = nullptr;
    TelemetryHookup* telemetry_ = nullptr;
    bool seekInitialised_ = false;
    MapView* maps_ = nullptr;
};

} // namespace korvane
