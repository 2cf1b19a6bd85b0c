#pragma once
// The telemetry display of the main window: the chart strip (chart_strip.h) and the read-outs
// that follow the playback position: the speed lbSpeed with lbKmh, the GPS box plGPS with
// lbGPS, plGPS_YES and plGPS_NO, the clock overlay plTime with its copy plTimeThumb on the seek
// thumb, and the raw telemetry line lbSubtitle on the diagnostics strip plSpecial.
// ShowTelemetryAt is the one entry for every position the player shows; the maps follow the
// player on their own.
#include <QObject>
#include <QRect>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mp4parse/telemetry_types.h"
#include "telemetry_view/strip_layout.h"

class QLabel;
class QWidget;

namespace korvane {

class ChartStrip;
struct Readout;

// The recording that now plays, as the display reads it.
struct TelemetrySource {
    const TelemetryTrack* track = nullptr;
    const std::vector<std::string>* lines = nullptr;
    std::int64_t durationTenths = 0;
    bool gpsSeen = false;
};

// Where the seek thumb is, in global coordinates: the time label rides on it while it is dragged.
class SeekThumb {
public:
    virtual ~SeekThumb() = default;
    virtual QRect GlobalRect() const = 0;
};

class TelemetryDisplay : public QObject {
    Q_OBJECT
public:
    // Builds the strip's widgets inside plCurve; the two time panels are the caller's.
    TelemetryDisplay(QWidget* plCurve, double displayScale, int scalePercent);

    // The clock overlay the read-outs write the time into.
    void SetTimePanel(QLabel* plTime) { plTime_ = plTime; }
    // The copy of the time that rides on the seek thumb while it is dragged.
    void SetThumbLabel(QLabel* plTimeThumb, const SeekThumb& thumb)
    {
        plTimeThumb_ = plTimeThumb;
        thumb_ = &thumb;
    }

    // Lays the strip out from plCurve's size on its own and redraws the chart with the loaded
    // track (a strip without the main window).
    void Layout();
    // In the main window, whose layout places the strip's parts by name: fills in what lies
    // inside them and redraws the chart at the plot's new size.
    void Redraw();
    void DrawChart(const TelemetryTrack* track, std::int64_t duration100ns);
    // The sample the player plays: chart cursor, read-outs (once a fix has been seen) and the
    // clock overlay; the index is one of the track's samples.
    void ShowSample(const TelemetrySource& source, int index, bool moveCursor, bool showG);
    void ShowTelemetryAt(const TelemetrySource& source, std::int64_t positionTenths, bool moveCursor, bool showG);
    // The no-fix state of the reset: NO SIGNAL, the pale GPS title and "  -".
    void ShowNoFix();
    void SetChartEnabled(bool enabled);
    // Speeds in miles per hour (true) or km/h: the read-out, its unit and the chart's axis.
    void SetSpeedInMph(bool mph);
    bool SpeedInMph() const { return mph_; }
    // The seek bar took a press (true) or has carried out its release (false): the label on the
    // thumb shows while it is dragged and goes with the release.
    void SetSeekDragging(bool dragging);

    ChartStrip& Chart() { return *chart_; }
    const StripLayout& Geometry() const { return layout_; }

    QLabel* lbSpeed = nullptr;
    QLabel* lbKmh = nullptr;
    QWidget* plGPS = nullptr;
    QLabel* imgGPS = nullptr;
    QLabel* lbGPS = nullptr;
    QLabel* plGPS_YES = nullptr;   // holds imgGPS_SYMBOL
    QWidget* plGPS_NO = nullptr;   // holds imgNoSignal and the NO / SIGNAL labels
    QWidget* plSpecial = nullptr;
    QLabel* lbSubtitle = nullptr;

private:
    void ShowReadout(const Readout& r);
    void SetFixShown(bool fix);
    void UpdateSeekThumbLabel(bool showLabel);
    void PaintPictures();
    void PlaceInsides();

    QWidget* plCurve_;
    double scale_;
    int scalePercent_;
    ChartStrip* chart_ = nullptr;
    QLabel* imgNoSignal_ = nullptr;
    QLabel* lbNo_ = nullptr;
    QLabel* lbSignal_ = nullptr;
    QLabel* plTime_ = nullptr;
    QLabel* plTimeThumb_ = nullptr;
    const SeekThumb* thumb_ = nullptr;
    bool seekDragging_ = false;
    bool mph_ = false;
    // The sample the read-outs show, shown again when the unit changes; none after a stop.
    struct ShownSample {
        TelemetrySource source;
        int index = 0;
    };
    std::optional<ShownSample> shown_;
    StripLayout layout_;
};

} // namespace korvane
