#pragma once
// The chart's widgets inside plCurve: the plot plImage with the drawn chart, the cursor
// spVelocity and its G label lbAcceleration, the axis labels and the clock labels. A draw
// renders the chart into an image once; a playback tick only moves the cursor and the G label.
#include <QImage>
#include <QObject>
#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "mp4parse/telemetry_types.h"
#include "telemetry_view/chart_model.h"

class QLabel;

namespace korvane {

struct StripLayout;

// plImage: shows the rendered chart and reports presses, moves and releases on it.
class ChartImage : public QWidget {
    Q_OBJECT
public:
    explicit ChartImage(QWidget* parent);
    QImage image;

signals:
    void pressed(Qt::MouseButtons buttons, int x);
    void moved(Qt::MouseButtons buttons, int x);
    void released();
    // The pointer rests at x: the strip shows the tip of a marker there.
    void toolTipAt(int x, QPoint globalPos);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
};

class ChartStrip : public QObject {
    Q_OBJECT
public:
    ChartStrip(QWidget* plCurve, int scalePercent);

    // Draws the chart of a track (nullptr: a cleared one) for a duration in 100 ns units; the
    // strip keeps both and draws them again after a relayout.
    void DrawChart(const TelemetryTrack* track, std::int64_t duration100ns);
    void MoveChartCursor(int index, bool moveCursor, bool showG, const TelemetryTrack& track,
                         std::size_t lineCount);
    void Place(const StripLayout& layout);
    // Draws the chart again at the plot's present size, the cursor at its sample.
    void Redraw();
    void SetEnabled(bool enabled) { plImage->setEnabled(enabled); }
    // The events of the recording drawn next (or now, again) as markers; a marker's tip text
    // comes from `markerText`.
    void SetEvents(std::vector<TelemetryEvent> events);
    const std::vector<TelemetryEvent>& Events() const { return events_; }
    std::function<QString(const TelemetryEvent&)> markerText;
    // The speed axis in miles per hour or km/h; draws the chart again.
    void SetSpeedInMph(bool mph);

    int chartSamples() const { return chartSamples_; }
    int currentSampleIndex() const { return currentSampleIndex_; }
    int renderCount() const { return renderCount_; }
    const ChartDrawing& drawing() const { return drawing_; }

    ChartImage* plImage = nullptr;
    QWidget* spVelocity = nullptr;
    QLabel* lbAcceleration = nullptr;
    std::array<QLabel*, 5> gLabels{};      // lb000 .. lb100
    std::array<QLabel*, 5> speedLabels{};  // lbSP00 .. lbSP80
    std::array<QLabel*, 7> timeLabels{};   // lbT00 .. lbT06
    QLabel* lbTM_START = nullptr;
    QLabel* lbTM_END = nullptr;

private:
    void InitChartLabels();
    void PlaceTimeLabels();

    QWidget* plCurve_;
    int scalePercent_;
    const TelemetryTrack* track_ = nullptr;
    std::int64_t duration_ = 0;
    ChartDrawing drawing_;
    int chartSamples_ = 600;
    int currentSampleIndex_ = 0;
    int renderCount_ = 0;
    bool mph_ = false;
    std::vector<TelemetryEvent> events_;
};

} // namespace korvane
