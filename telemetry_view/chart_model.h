#pragma once
// What the speed and G-force chart draws for a recording, computed without any widget: the
// columns, the axis captions, every line with its pen, the time labels and the cursor size.
// The painter (chart_painter.h) only puts this on an image; the tests read it as numbers.
#include <QPoint>
#include <QString>
#include <array>
#include <cstdint>
#include <vector>

#include "mp4parse/telemetry_events.h"
#include "mp4parse/telemetry_types.h"

namespace korvane {

// The pens of the chart, each with its fixed colour and width (chart_painter.cpp).
enum class ChartPen { Grid, GridDotted, SpeedFix, SpeedNoFix, GForce };

struct ChartSegment {
    ChartPen pen;
    QPoint from;
    QPoint to;
    bool operator==(const ChartSegment&) const = default;
};

// A time-axis label: its caption and the x (inside the plot) its left edge is measured from;
// the label's left edge is anchorX - 0.4 x its own width.
struct ChartTimeLabel {
    QString caption;
    double anchorX = 0;
};

// An event's marker: a small triangle at the top of the plot, its tip at x.
struct ChartMarker {
    TelemetryEvent event;
    int x = 0;
};
inline constexpr int kMarkerHalfWidth = 4;
inline constexpr int kMarkerHeight = 7;

struct ChartDrawing {
    int width = 0;          // W, the plotting area
    int height = 0;         // H
    int seconds = 60;       // S
    int columns = 6;        // D, ten-second columns
    int chartSamples = 600; // 100 x D
    bool mph = false;       // the speed axis is in miles per hour (the track stays in km/h)
    double fullScale = 180; // speed at the top of the plot, in the axis's unit
    double gMin = 0.1;
    double gSpan = 0.4;
    std::array<QString, 5> speedCaptions; // bottom to top
    std::array<QString, 5> gCaptions;     // bottom to top
    std::vector<ChartTimeLabel> timeLabels; // labels 1 .. D (label 0 keeps " 0")
    std::vector<ChartSegment> grid;         // the three rows and D - 1 dotted columns
    std::vector<ChartSegment> speed;        // in drawing order
    std::vector<ChartSegment> gLine;        // in drawing order
    int cursorWidth = 1;
    int cursorHeight = 0;
    bool hasSamples = false;
    std::vector<ChartMarker> markers;       // in time order
    QString startTime;      // " hh:mm:ss" of the first and the last sample, when there are samples
    QString endTime;
};

// The samples of a track the chart and the read-outs may use: the decoded ones, never more than
// the track holds.
int UsableSamples(const TelemetryTrack& track);

// The whole chart of a track for a recording of duration100ns (100 ns units as the kernel
// reports them) in a W x H plot at a display percentage, the speed axis in km/h or in miles per
// hour (its row chosen by the track's maximum speed in that unit).
ChartDrawing ComputeChart(const TelemetryTrack& track, std::int64_t duration100ns, int width, int height,
                          int scalePercent, bool mph = false);

// The markers of a recording's events on a computed chart (at the x of their sample).
void PlaceMarkers(ChartDrawing& drawing, const std::vector<TelemetryEvent>& events);
// The marker under x (within its half width), nearest first; nullptr when there is none.
const ChartMarker* MarkerAt(const ChartDrawing& drawing, int x);

// Seconds and columns of a duration: S rounded up (0 or above 60 give 60), D = S / 10 rounded up.
int ChartSeconds(std::int64_t duration100ns);
int ChartColumns(int seconds);

// The cursor's left edge for a sample index: x - w/2 up to index 9, x + w/2 + 2 from index 10.
int CursorLeft(int index, int plotWidth, int chartSamples, int cursorWidth);
// The G label's left edge: right of the cursor until 85 % of the lines, then left of it.
int GLabelLeft(int index, int cursorLeft, std::size_t lineCount, int labelWidth);

} // namespace korvane
