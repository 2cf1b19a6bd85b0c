#pragma once
// The seek bar under the video and the chart as a second seek surface. A press pauses playback
// and shows the picture under the thumb, every move sends one seek, and the release restores
// the previous play state.
#include <QObject>
#include <QTimer>

#include "library/recording_ref.h"
#include "library/skin_scroll_bar_widget.h"

namespace korvane {

class BusyState;
class PlaybackController;

enum SeekSurface { SeekNone = 0, SeekThumb = 1, SeekFill = 2, SeekTrack = 3, SeekChart = 4 };

// The chart as a seek surface at the moment of a press or move: its picture width in pixels
// and the number of samples it spans.
struct ChartSpan {
    int width = 0;
    int samples = 0;
};

class SeekBar : public QObject {
    Q_OBJECT
public:
    // A press is refused, and a release leaves the play state alone, while `busy` says the
    // viewer is not idle (a recording is being opened).
    SeekBar(SkinScrollBarWidget& bar, PlaybackController& player, const BusyState& busy, QObject* parent = nullptr);

    SkinScrollBarWidget& Widget() { return bar_; }
    void SetPosition(int tenths) { bar_.SetPosition(tenths); }
    int Position() const { return bar_.Bar().position; }
    void SetMaxValue(int durationTenths);
    void SetPartsEnabled(bool enabled);

    // Accepted only with the left button alone, a loaded recording, an idle viewer and no
    // release pending.
    bool SeekPress(SeekSurface surface, Qt::MouseButtons buttons, int x);
    bool SeekMove(Qt::MouseButtons buttons, int x);
    // A press or move on the chart, with the chart's span at that moment.
    bool ChartPress(Qt::MouseButtons buttons, int x, ChartSpan span);
    bool ChartMove(Qt::MouseButtons buttons, int x, ChartSpan span);
    void StartRelease() { tmMouseUp.start(); }
    void tmMouseMoveTimer();
    void tmMouseUpTimer();

    bool seekDragging = false;
    int seekSource = SeekNone;
    int seekMoveTicks = 0;
    QTimer tmMouseMove;   // 1 ms
    QTimer tmMouseUp;     // 50 ms

signals:
    // A press was accepted (true), or its release has been carried out (false).
    void draggingChanged(bool dragging);

private:
    void PartReleased(BarPart part);
    int ChartPositionOf(int x) const;
    void RequestSeekToBar();
    // True while the recording the accepted press was made for is still the current one and no
    // switch to another recording is under way.
    bool PressStillCurrent() const;

    SkinScrollBarWidget& bar_;
    PlaybackController& player_;
    const BusyState& busy_;
    ChartSpan chart_;           // the chart's span at the last press or move on it
    RecordingRef pressedFor_;   // the recording current at the last accepted press
};

} // namespace korvane
