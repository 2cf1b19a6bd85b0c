#pragma once
// The seek bar under the video and the chart as a second seek surface. A press pauses playback
// and shows the picture under the thumb, every move sends one seek, and the release restores
// the previous play state.
#include <QObject>
#include <QTimer>
#include <functional>

#include "library/recording_ref.h"
#include "library/skin_scroll_bar_widget.h"

namespace korvane {

class PlaybackController;

enum SeekSurface { SeekNone = 0, SeekThumb = 1, SeekFill = 2, SeekTrack = 3, SeekChart = 4 };

class SeekBar : public QObject {
    Q_OBJECT
public:
    SeekBar(SkinScrollBarWidget& bar, PlaybackController& player, QObject* parent = nullptr);

    SkinScrollBarWidget& Widget() { return bar_; }
    void SetPosition(int tenths) { bar_.SetPosition(tenths); }
    int Position() const { return bar_.Bar().position; }
    void SetMaxValue(int durationTenths);
    void SetPartsEnabled(bool enabled);

    // Accepted only with the left button alone, a loaded recording, an idle viewer and no
    // release pending.
    bool SeekPress(SeekSurface surface, Qt::MouseButtons buttons, int x);
    bool SeekMove(Qt::MouseButtons buttons, int x);
    void StartRelease() { tmMouseUp.start(); }
    void tmMouseMoveTimer();
    void tmMouseUpTimer();

    // The chart as a seek surface: its picture width and its number of samples.
    std::function<int()> chartWidth;
    std::function<int()> chartSamples;
    std::function<bool()> viewerIdle;
    // Hides plTimeThumb (the time shown beside the thumb while seeking).
    std::function<void()> hideTimeThumb;

    bool seekDragging = false;
    int seekSource = SeekNone;
    int seekMoveTicks = 0;
    QTimer tmMouseMove;   // 1 ms
    QTimer tmMouseUp;     // 50 ms

private:
    void PartReleased(BarPart part);
    int ChartPositionOf(int x) const;
    void RequestSeekToBar();
    // True while the recording the accepted press was made for is still the current one and no
    // switch to another recording is under way.
    bool PressStillCurrent() const;

    SkinScrollBarWidget& bar_;
    PlaybackController& player_;
    RecordingRef pressedFor_;   // the recording current at the last accepted press
};

} // namespace korvane
