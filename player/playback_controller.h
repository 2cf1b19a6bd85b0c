#pragma once
// The playback controller: starts playback once a kernel reports ready, carries out play, pause
// and stop, follows the kernel's position every 50 ms, and at the end of a recording either
// stops or, with continuous play, opens the next recording of the grid in the partner channel
// while the last frame stays on screen.
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <functional>

#include "kernel/playback_channel.h"
#include "player/transport.h"

class QAction;
class QLabel;
class QWidget;

namespace korvane {

class PlayerHost;
class SeekBar;
class TransportBar;

class PlaybackController : public QObject {
    Q_OBJECT
public:
    PlaybackController(PlayerHost& host, TransportBar& buttons, QObject* parent = nullptr);

    // The two channels and the one that plays.
    PlaybackChannel channelA;
    PlaybackChannel channelB;
    PlaybackChannel* currentChannel = &channelA;

    int playState = 0;            // 0 stopped, 1 paused, 2 playing
    bool continuousPlay = true;
    ThumbnailCell* selectedCell = nullptr;
    ThumbnailCell* pendingCell = nullptr;
    int durationTenths = 0;

    QTimer tmWaitReady;   // 1 ms, while a kernel starts
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
    void miContinueClick(bool checked);
    void miTimeClick(bool checked);

    // Moves the seek thumb and the telemetry displays to a position in tenths.
    void ShowTelemetryAt(std::int64_t tenths, bool seek, bool cursor, bool g, bool map);
    // Enables the seek parts and the chart image.
    void SetSeekEnabled(bool enabled);
    void SetControls(TransportSituation situation);

    // Read by the seek bar: the tick does nothing while a seek is being released.
    std::function<bool()> seekReleasing;

signals:
    void playbackStarted(int channelId);
    void recordingEnded();

private:
    void tmWaitReadyTimer();
    void tmSystemTimer();
    void GiveUpWaiting();

    PlayerHost& host_;
    TransportBar& buttons_;
    SeekBar* seekBar_ = nullptr;
    QWidget* plTime_ = nullptr;
    QAction* miTime_ = nullptr;
    QWidget* videoArea_ = nullptr;
    qint64 waitStartedMs_ = 0;
};

} // namespace korvane
