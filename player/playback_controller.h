#pragma once
// The playback controller: starts playback once a kernel reports ready, carries out play, pause
// and stop, follows the kernel's position every 50 ms, and at the end of a recording either
// stops or, with continuous play, opens the next recording of the grid in the partner channel
// while the last frame stays on screen.
//
// What the displays need (the clock overlay, the chart, the read-outs, the maps) comes out as
// signals; app/ connects them. The player never calls a display.
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <memory>

#include "library/recording_ref.h"
#include "player/playback_channel.h"
#include "player/transport.h"

class QAction;
class QLabel;
class QWidget;

namespace korvane {

class PartnerPreparation;
class PlayerHost;
class RecordingLibrary;
class RecordingOpener;
class SeekBar;
class TransportBar;

// The stored numbers are the ones the player has always used (0 stopped, 1 paused, 2 playing).
enum class PlayState { Stopped = 0, Paused = 1, Playing = 2 };

// What a display needs of the recording that now plays.
struct LoadedRecording {
    RecordingRef ref;
    int channelId = 0;                        // 0 or 1
    const TelemetryTrack* track = nullptr;    // the channel's decoded track, lives with the channel
    QStringList lines;                        // the raw telemetry lines
    qint64 durationTenths = 0;
    QString mp4Path;
};

class PlaybackController : public QObject {
    Q_OBJECT
public:
    PlaybackController(PlayerHost& host, TransportBar& buttons, RecordingLibrary& library,
                       QObject* parent = nullptr);

    // Opens recordings: double clicks of the library, continuous play, File > Open.
    RecordingOpener& Opener() { return *opener_; }
    // Continuous play's next recording, made ready in the partner channel before the end.
    PartnerPreparation& Partner() { return *partner_; }

    // The two channels and the one that plays.
    PlaybackChannel channelA;
    PlaybackChannel channelB;
    PlaybackChannel* currentChannel = &channelA;

    PlayState playState = PlayState::Stopped;
    bool continuousPlay = true;
    RecordingRef selected;   // the recording the user chose (highlighted)
    int durationTenths = 0;

    // Runs while a kernel starts, for as long as it may take (waitReadyLimitMs); the kernel's
    // answers and its end complete the wait before then.
    QTimer tmWaitReady;
    QTimer tmSystem;      // 50 ms, the playback tick

    // Recordings opened so far (each open waits for its kernel once).
    int openCount = 0;

    // How long a kernel may take to become ready before the viewer gives up.
    int waitReadyLimitMs = 10000;

    void SetSeekBar(SeekBar* bar) { seekBar_ = bar; }
    void SetTimePanel(QWidget* plTime, QAction* miTime) { plTime_ = plTime; miTime_ = miTime; }
    void SetVideoArea(QWidget* plVCRBackGround) { videoArea_ = plVCRBackGround; }

    void StartWaitReady();
    void StartPlayback();
    void tbPlayClick();
    void tbPauseClick();
    void tbStopClick();
    void EndOfPlayback();
    void SetGridsReady(bool ready);
    static void FreezeFrame(QWidget* panel, QLabel* image);
    // Hides the channel's frozen-frame cover once its kernel has drawn its own pictures.
    void HideCoverWhenDrawn(PlaybackChannel& channel, int holdMs);
    void miContinueClick(bool checked);
    void miTimeClick(bool checked);
    // plTime shown when the menu item miTime is checked, else hidden.
    void ShowTimePanelPerMenu();
    // The video part of the viewer reset: pictures hidden, the background shown, both channels
    // released, plTime hidden.
    void ResetVideo();

    // Moves the seek thumb and the telemetry displays to a position in tenths.
    void ShowTelemetryAt(std::int64_t tenths, bool seek, bool cursor, bool g, bool map);
    // The telemetry part of the viewer reset: the current channel's track and duration cleared,
    // the displays back to the start; `followMap` lets the maps follow.
    void ResetTelemetry(bool followMap);
    // Clears a channel's telemetry (track, lines, current sample).
    static void ClearChannelTelemetry(PlaybackChannel& channel);
    // Enables the seek parts and the chart image.
    void SetSeekEnabled(bool enabled);
    void SetControls(TransportSituation situation);


signals:
    void playbackStarted(int channelId);
    void recordingEnded();

    // A recording is ready and starts to play: the chart is to be drawn, the route map started.
    void recordingLoaded(const korvane::LoadedRecording& rec);
    // Every position the displays show: the 50 ms tick, a stop, the seek bar and chart, a reset.
    // `moveSeekThumb` is true when the seek thumb moved too.
    void telemetryPosition(qint64 tenths, bool moveSeekThumb, bool moveCursor, bool showG, bool followMap);
    // Play, pause and stop; a stop is reported even when the player was stopped already.
    void playStateChanged(korvane::PlayState state);
    // The viewer reset: `telemetry` when the displays go back to empty; `followMap` when the
    // maps follow.
    void playerReset(bool telemetry, bool followMap);
    // The seek parts and the chart take presses (true) or not.
    void seekEnabledChanged(bool enabled);

private:
    void tmWaitReadyTimer();
    // An answer or the end of a channel's kernel: a wait for readiness looks again.
    void KernelEvent(PlaybackChannel& channel);
    void tmSystemTimer();
    void GiveUpWaiting();
    // The kernel of the current channel has gone: channel released, viewer reset and idle,
    // the user told.
    void PlaybackLost();
    void SetPlayState(PlayState state);
    // The controls, the state and the tick of a playing or a paused player.
    void ShowPlaying();
    void ShowPaused();
    // A play or pause request ended: a kernel that has gone is reported; one that did not take
    // the request has the player go back to the state it showed before.
    void RequestEnded(PlaybackChannel& channel, bool confirmed, PlayState before);

    PlayerHost& host_;
    TransportBar& buttons_;
    RecordingLibrary& library_;
    RecordingOpener* opener_;
    SeekBar* seekBar_ = nullptr;
    QWidget* plTime_ = nullptr;
    QAction* miTime_ = nullptr;
    QWidget* videoArea_ = nullptr;
    qint64 waitStartedMs_ = 0;
    bool stopWhenReady_ = false;   // a stop pressed while the current recording was being opened
    PartnerPreparation* partner_ = nullptr;
    bool switchingToPrepared_ = false;   // the next StartPlayback shows a prepared partner
    // The channels' links to their kernels; declared after the channels, so they go first.
    std::unique_ptr<KernelLink> linkA_;
    std::unique_ptr<KernelLink> linkB_;
};

} // namespace korvane

Q_DECLARE_METATYPE(korvane::PlayState)
Q_DECLARE_METATYPE(korvane::LoadedRecording)
