#pragma once
// Connects the telemetry display (telemetry_view/) to the viewer: builds it in plCurve, makes
// its chart the seek bar's chart surface, lets its time label ride on the seek thumb, and shows
// the player's positions from the current playback channel.
#include <QObject>
#include <cstdint>

#include "telemetry_view/telemetry_display.h"

class QLabel;

namespace korvane {

class PlaybackController;
struct PlaybackChannel;
class SeekBar;
class SkinScrollBarWidget;
class TfrmMain;

// What the displays read of the recording that plays: its track and lines, its duration and
// whether any position has been seen yet.
TelemetrySource CurrentTelemetry(PlaybackController& player);

class TelemetryHookup : public QObject, private SeekThumb {
    Q_OBJECT
public:
    TelemetryHookup(TfrmMain& window, PlaybackController& player, SeekBar& seekBar, SkinScrollBarWidget& seekWidget,
                    QLabel* plTime, double logicalScale, int scalePercent);

    // The strip's parts stand where the window layout put them: the chart is drawn again.
    void Redraw();
    void DrawChart(const PlaybackChannel& channel);
    void ShowAt(std::int64_t tenths, bool cursor, bool g);
    void ShowNoFix();
    void SetChartEnabled(bool enabled);

    TelemetryDisplay& Display() { return *display_; }
    QLabel* plTimeThumb() const { return plTimeThumb_; }

private:
    QRect GlobalRect() const override;

    TfrmMain& window_;
    SkinScrollBarWidget& seekWidget_;
    PlaybackController& player_;
    TelemetryDisplay* display_ = nullptr;
    QLabel* plTimeThumb_ = nullptr;
};

} // namespace korvane
