#pragma once
// What the transport keys do to the recording that plays: play or pause, a seek of a few
// seconds or to the start through the seek bar's own path (the thumb, the chart and the
// read-outs follow), and frame steps. Every call does nothing (and says so) while no recording
// is loaded, a recording is being opened or switched to, or the seek bar is held.
#include <QObject>

#include "player/frame_step.h"

namespace korvane {

class PlayerHost;
class PlaybackController;
class SeekBar;

class TransportKeys : public QObject {
    Q_OBJECT
public:
    TransportKeys(PlaybackController& player, PlayerHost& host, SeekBar& seekBar, QObject* parent = nullptr);

    // A recording is loaded, its kernel is ready and the viewer is idle.
    bool Loaded() const;

    bool PlayPause();
    // Moves the position by `deltaTenths`, kept inside the recording.
    bool SeekBy(int deltaTenths);
    bool GoToStart();
    // Goes to a position (tenths of a second), kept inside the recording.
    bool GoTo(int tenths) { return Loaded() && SeekTo(tenths); }
    int PositionTenths() const;
    bool StepFrame(int direction);

    FrameStepper& Stepper() { return stepper_; }

private:
    bool SeekTo(int tenths);

    PlaybackController& player_;
    PlayerHost& host_;
    SeekBar& seekBar_;
    FrameStepper stepper_;
};

} // namespace korvane
