#pragma once
// Drawing a recording's route on the route map and following the playback with its marker.
// Plain logic over RouteMapOps and the decoded telemetry; no widget, no browser.
#include <QString>

#include "map/route_map_ops.h"
#include "mp4parse/telemetry_types.h"

namespace korvane {

struct RouteState {
    int routeZoom = 17;          // the zoom every drawn route is shown at
    int firstFixIndex = -1;      // first sample with a usable position, or -1
    QString previousRouteFile;   // the MP4 path whose route was drawn last
    int currentLine = -1;        // the line points are being added to
};

// True when the current recording starts one minute after the previous one: the minute and
// second digits are read from the end of each path ("...hhmmss.MP4").
bool IsNextMinuteRecording(const QString& current, const QString& previous);

// Draws the route of a timed-text track (samples without speed are skipped); false when the
// track has no fixed sample. currentSample receives the samples consumed, as the channel keeps it.
bool BuildRouteForTextTrack(RouteMapOps& map, RouteState& state, const TelemetryTrack& track,
                            const QString& mp4Path, bool clearFirst, TelemetrySample& currentSample);
// Draws the route of the other data types (positions missing go to the default location; another
// camera's fixes without a position are left out).
bool BuildRouteForBlocks(RouteMapOps& map, RouteState& state, const TelemetryTrack& track,
                         const QString& mp4Path, bool clearFirst, TelemetrySample& currentSample);

// Follows the playback at sample i: the text-track form, then the other data types.
bool MoveRouteMarker(RouteMapOps& map, const TelemetryTrack& track, int i);
bool CenterRouteMap(RouteMapOps& map, const RouteState& state, const TelemetryTrack& track, int i);

// A sample whose position can be drawn: finite, in range and not 0 in either part.
bool HasPosition(const TelemetrySample& s);
// Samples a scan may look at: sampleCount, cut to the track's capacity.
int ScannableSamples(const TelemetryTrack& track);

} // namespace korvane
