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
#include <optional>
#include <string>
#include <vector>

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

// A position the displays show, with the sample the player plays there. The track and lines
// are the playing channel's, which outlive the signal.
struct PlayPosition {
    qint64 tenths = 0;
    std::optional<int> sampleIndex;           // none past the end of the recording
    TelemetrySample sample;                   // the sample at sampleIndex (empty when none)
    const TelemetryTrack* track = nullptr;
    const std::vector<std::string>* lines = nullptr;
    bool gpsSeen = false;                     // a fix has been seen since the folder opened
    bool moveSeekThumb = false;               // the seek thumb moved too
    bool moveCursor = false;
    bool showG = false;
    bool followMap = false;
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

    // What it plays. The state is the controller's own; the verbs below change it.
    PlaybackChannel& Channel(int id) { return id == 1 ? channelB_ : channelA_; }
    PlaybackChannel* Current() const { return currentChannel_; }
    PlayState State() const { return playState_; }
    bool ContinuousPlay() const { return continuousPlay_; }
    // The recording the user chose (highlighted).
    const RecordingRef& Selected() const { return selected_; }
    int DurationTenths() const { return durationTenths_; }
    // A kernel is being waited for (a recording is being opened or switched to).
    bool WaitingForKernel() const { return tmWaitReady_.isActive(); }
    // Recordings opened so far (each open waits for its kernel once).
    int OpenCount() const { return openCount_; }
    // How long a kernel may take to become ready before the viewer gives up.
    int WaitReadyLimitMs() const { return waitReadyLimitMs_; }
    void SetWaitReadyLimit(int ms) { waitReadyLimitMs_ = ms; }

    // The 50 ms playback tick: the seek bar, the keys and the data commands hold it while they
    // act, and start it again.
    const QTimer& Tick() const { return tmSystem_; }
    bool TickRunning() const { return tmSystem_.isActive(); }
    void StartTick() { tmSystem_.start(); }
    void StopTick() { tmSystem_.stop(); }

    // Verbs.
    void Play();
    void Pause();
    void Stop();
    void Select(const RecordingRef& ref) { selected_ = ref; }
    void SetContinuousPlay(bool on);
    // Ends the wait for a starting kernel without a verdict (the kernel is left to itself).
    void StopWaitingForKernel() { tmWaitReady_.stop(); }

    // Where a channel draws and which slot its kernel takes.
    struct ChannelSetUp {
        QWidget* panel = nullptr;
        QLabel* image = nullptr;
        KernelSlot* slot = nullptr;
    };
    // Gives both channels their panels, pictures and slots and the folder their kernels start
    // in; channel A plays first.
    void SetUpChannels(const ChannelSetUp& a, const ChannelSetUp& b, const QString& launchFolder);

    void SetSeekBar(SeekBar* bar) { seekBar_ = bar; }
    void SetTimePanel(QWidget* plTime, QAction* miTime) { plTime_ = plTime; miTime_ = miTime; }
    void SetVideoArea(QWidget* plVCRBackGround) { videoArea_ = plVCRBackGround; }

    void StartWaitReady();
    void StartPlayback();
    void EndOfPlayback();
    void SetGridsReady(bool ready);
    static void FreezeFrame(QWidget* panel, QLabel* image);
    // Hides the channel's frozen-frame cover once its kernel has drawn its own pictures.
    void HideCoverWhenDrawn(PlaybackChannel& channel, int holdMs);
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
    void telemetryPosition(const korvane::PlayPosition& at);
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

    // The two channels and the one that plays.
    PlaybackChannel channelA_;
    PlaybackChannel channelB_;
    PlaybackChannel* currentChannel_ = &channelA_;
    PlayState playState_ = PlayState::Stopped;
    bool continuousPlay_ = true;
    RecordingRef selected_;
    int durationTenths_ = 0;
    // Runs while a kernel starts, for as long as it may take (waitReadyLimitMs_); the kernel's
    // answers and its end complete the wait before then.
    QTimer tmWaitReady_;
    QTimer tmSystem_;      // 50 ms, the playback tick
    int openCount_ = 0;
    int waitReadyLimitMs_ = 10000;
    // The channels' links to their kernels; declared after the channels, so they go first.
    std::unique_ptr<KernelLink> linkA_;
    std::unique_ptr<KernelLink> linkB_;
};

} // namespace korvane

Q_DECLARE_METATYPE(korvane::PlayState)
Q_DECLARE_METATYPE(korvane::LoadedRecording)
Q_DECLARE_METATYPE(korvane::PlayPosition)
