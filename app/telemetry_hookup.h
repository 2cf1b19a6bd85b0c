#pragma once
// Connects the telemetry display (telemetry_view/) to the viewer: builds it in plCurve, makes
// its chart the seek bar's chart surface, lets its time label ride on the seek thumb, and shows
// the player's positions from the current playback channel.
#include <QObject>
#include <cstdint>

#include <vector>

#include "mp4parse/telemetry_events.h"
#include "telemetry_view/telemetry_display.h"

class QLabel;

namespace korvane {

class PlaybackController;
struct PlayPosition;
class SeekMarkerStrip;
struct PlaybackChannel;
class SeekBar;
class SkinScrollBarWidget;
class TfrmMain;

class TelemetryHookup : public QObject, private SeekThumb {
    Q_OBJECT
public:
    TelemetryHookup(TfrmMain& window, PlaybackController& player, SeekBar& seekBar, SkinScrollBarWidget& seekWidget,
                    QLabel* plTime, double logicalScale, int scalePercent);

    // The strip's parts stand where the window layout put them: the chart is drawn again, and
    // the seek bar's markers follow its new geometry.
    void Redraw();
    void DrawChart(const PlaybackChannel& channel);
    // The player's position with its sample: chart cursor, read-outs and clock overlay.
    void ShowAt(const PlayPosition& at);
    void ShowNoFix();
    void SetChartEnabled(bool enabled);

    TelemetryDisplay& Display() { return *display_; }
    // The thresholds the events of the recordings drawn from now on are found with.
    void SetThresholds(const EventThresholds& thresholds) { thresholds_ = thresholds; }
    // The events of the recording drawn last, in time order.
    const std::vector<TelemetryEvent>& Events() const;
    // The markers of those events on the seek bar.
    SeekMarkerStrip& SeekMarkers() { return *seekMarkers_; }
    QLabel* plTimeThumb() const { return plTimeThumb_; }

private:
    QRect GlobalRect() const override;
    // A marker's tip: the kind from the catalogue, the camera clock and the value.
    QString MarkerText(const TelemetryEvent& e) const;

    TfrmMain& window_;
    SkinScrollBarWidget& seekWidget_;
    PlaybackController& player_;
    TelemetryDisplay* display_ = nullptr;
    SeekMarkerStrip* seekMarkers_ = nullptr;
    QLabel* plTimeThumb_ = nullptr;
    EventThresholds thresholds_;
    const TelemetryTrack* track_ = nullptr;
};

} // namespace korvane
