#pragma once
// Frame stepping: each press moves the paused picture one frame back or forward, landing on the
// frame's start (an accurate seek by one frame duration read from the recording). A playing
// recording is paused first, and its position is taken once the kernel reports it settled.
// Presses that come while a step is still landing are queued, so ten quick presses are ten
// frames. The seek thumb, the chart and the read-outs follow each landing.
#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <optional>

namespace korvane {

class PlaybackController;
struct PlaybackChannel;

class FrameStepper : public QObject {
    Q_OBJECT
public:
    explicit FrameStepper(PlaybackController& player, QObject* parent = nullptr);

    // One press (direction -1 or +1). False when nothing is loaded or the recording's frame
    // duration cannot be read.
    bool Step(int direction);
    // The frame duration (100 ns units) of the recording the channel plays, read once per file.
    std::optional<double> FrameDuration(const PlaybackChannel& channel);
    bool Busy() const { return phase_ != Phase::Idle; }
    // Drops the steps still queued and the one landing (another key, a seek, play).
    void Cancel();

    // How long a step may take to land before the stepper gives up on it.
    int landTimeoutMs = 3000;

signals:
    // A step landed; the position is the kernel's, in 100 ns units.
    void landed(qint64 position100ns);

private:
    enum class Phase { Idle, Settling, Landing };
    void Poll();
    void StartNext(std::int64_t from);
    void Finish();

    PlaybackController& player_;
    QTimer poll_;
    QElapsedTimer waited_;
    Phase phase_ = Phase::Idle;
    int queued_ = 0;                 // frames still to step (signed)
    PlaybackChannel* channel_ = nullptr;
    std::int64_t lastSeen_ = -1;     // settling: the position last read
    qint64 lastChangeMs_ = 0;
    std::int64_t targetIndex_ = 0;
    QString timingPath_;
    std::optional<double> frame_;
};

} // namespace korvane
