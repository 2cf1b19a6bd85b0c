#pragma once
// The event markers on the seek bar: a see-through layer over the whole bar that draws a small
// triangle in the chart's marker colours at each event and lets every press through to the bar's
// own parts. A pointer resting on a marker shows its kind, camera clock and value.
//
// The bar's geometry is asked for at each paint and each tip (`span`), so the markers follow the
// bar through a relayout without being told.
#include <QWidget>
#include <functional>
#include <vector>

#include "telemetry_view/seek_marker_layout.h"

namespace korvane {

class SeekMarkerStrip : public QWidget {
    Q_OBJECT
public:
    // Lies over `bar` (as its child, above its parts) and follows its size.
    explicit SeekMarkerStrip(QWidget* bar);

    // The events of the recording now loaded (none after a reset).
    void SetEvents(std::vector<TelemetryEvent> events);
    const std::vector<TelemetryEvent>& Events() const { return events_; }
    // The markers where the bar stands now.
    std::vector<SeekMarker> Markers() const;
    // The tip for the pointer at x: one line per marker under it, empty for none.
    QString TipAt(int x) const;

    std::function<SeekBarSpan()> span;
    std::function<QString(const TelemetryEvent&)> markerText;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QWidget* bar_;
    std::vector<TelemetryEvent> events_;
};

} // namespace korvane
