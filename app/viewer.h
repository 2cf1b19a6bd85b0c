#pragma once
// The viewer role's subsystems and their wiring: the recordings library, the playback
// controller with its transport buttons and seek bar, the telemetry parser and the shared slots.
// It answers what the library and the player ask of the rest of the viewer.
#include <QObject>

#include "library/library_host.h"
#include "mp4parse/mp4_parser.h"
#include "player/player_host.h"

class QLabel;
class QTimer;

namespace korvane {

class GroupSelectors;
class MapView;
class PlaybackController;
struct MainLayout;
class RecordingLibrary;
class SeekBar;
class SkinScrollBarWidget;
class TelemetryHookup;
class TfrmMain;
class TransportBar;
struct ShellFlags;
struct KernelSlot;

class Viewer : public QObject, public LibraryHost, public PlayerHost {
    Q_OBJECT
public:
    Viewer(TfrmMain& window, ShellFlags& flags, QTimer& tmProcessFinish, double displayScale);
    ~Viewer() override;

    // Start-up steps, in the order the shell calls them.
    void OpenSlots();                                  // shared block and both slots
    void SetUpChannels(const QString& programFolder);  // channels A and B
    // First scan, thumbnails, stale kernels; the recordings come from `recordingFolder` when
    // given, else from the start directory `folder`.
    void OpenStartFolder(const QString& folder, const QString& recordingFolder = QString());
    void Layout(const MainLayout& layout);             // places the parts inside their panels
    // Quit confirmed: both channels close for good.
    void CloseChannels();
    void PauseIfPlaying();
    // Shut-down: the thumbnail pass stops and the working folder is emptied.
    void Shutdown();

    PlaybackController& Player() { return *player_; }
    RecordingLibrary& Library() { return *library_; }
    SeekBar& Seek() { return *seekBar_; }
    TransportBar& Buttons() { return *buttons_; }
    QLabel* plTime() const { return plTime_; }
    TelemetryHookup& Telemetry() { return *telemetry_; }
    MapView* Maps() const { return maps_; }

    // LibraryHost
    QWidget* MainWindow() override;
    PlaybackChannel& CurrentChannel() override;
    Mp4Parser& TelemetryParser() override { return parser_; }
    bool& GpsSeen() override { return gpsSeen_; }
    bool ViewerIdle() const override;
    void SetViewerIdle(bool idle) override;
    void StartProcessFinish() override;
    void StopPlayback() override;
    void StartPlayback() override;
    void StartWaitReady() override;
    void SetSelectedCell(ThumbnailCell* cell) override;
    void HaltPlayerForOpen() override;
    void ShowTimePanelPerMenu() override;
    void ResetVideo() override;
    void ResetTelemetry(bool followMap) override;
    void ResetButtons() override;
    void ShowGroupSelectors(int group) override;
    void PrepareMapsForNewFolder() override;
    void SetDataMenusEnabled(bool enabled) override;
    void ShowInformation2(const QString& first, const QString& second) override;

    // PlayerHost
    bool QuitConfirmed() const override;
    void HighlightCell(ThumbnailCell* cell, bool scroll) override;
    void ClearHighlight() override;
    ThumbnailCell* NextCell(ThumbnailCell* cell) override;
    void SetCellsReady(bool ready) override;
    void SetFileBarsToTop() override;
    bool OpenRecordingFromCell(ThumbnailCell* cell) override;
    void ClearChannelTelemetry(PlaybackChannel& channel) override;
    void DrawChart(const PlaybackChannel& channel) override;
    void ShowReadoutsAt(std::int64_t tenths, bool cursor, bool g, bool map) override;
    void ShowNoFix() override;
    void StartRouteMap() override;
    void SetChartEnabled(bool enabled) override;
    void ReportPlaybackFailed(const PlaybackChannel& channel) override;

private:
    TfrmMain& window_;
    ShellFlags& flags_;
    QTimer& tmProcessFinish_;
    Mp4Parser parser_;
    bool gpsSeen_ = false;
    KernelSlot* slotA_ = nullptr;
    KernelSlot* slotB_ = nullptr;
    TransportBar* buttons_ = nullptr;
    SkinScrollBarWidget* seekWidget_ = nullptr;
    PlaybackController* player_ = nullptr;
    SeekBar* seekBar_ = nullptr;
    RecordingLibrary* library_ = nullptr;
    QLabel* plTime_ = nullptr;
    GroupSelectors* selectors_ = nullptr;
    TelemetryHookup* telemetry_ = nullptr;
    bool seekInitialised_ = false;
    MapView* maps_ = nullptr;
};

} // namespace korvane
