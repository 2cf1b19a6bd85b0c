#pragma once
// Where a recording's events stand on the seek bar, computed without any widget: each marker's
// tip lies at the x the middle of the seek thumb takes when the bar's position is the event's
// time, so that a marker and the thumb parked on its moment line up.
#include <vector>

#include "mp4parse/telemetry_events.h"

namespace korvane {

// The seek bar as the markers need it (container coordinates, along the bar): the track, the
// thumb's width and the bar's range in tenths of a second (the recording's duration).
struct SeekBarSpan {
    int trackLeft = 0;
    int trackWidth = 0;
    int thumbWidth = 0;
    int durationTenths = 0;
};

struct SeekMarker {
    TelemetryEvent event;
    int x = 0;   // the tip
    bool operator==(const SeekMarker&) const = default;
};

// A marker is a small triangle pointing down from the top of the bar.
inline constexpr int kSeekMarkerHalfWidth = 4;
inline constexpr int kSeekMarkerHeight = 6;

// The x of the thumb's middle for a position, as the bar places its thumb (the offset truncated);
// positions outside the recording go to its ends.
int SeekMarkerX(const SeekBarSpan& span, int tenths);

// The markers of a recording's events (the sample is the time in tenths), in the events' order;
// none without a duration.
std::vector<SeekMarker> PlaceSeekMarkers(const SeekBarSpan& span, const std::vector<TelemetryEvent>& events);

// The markers whose triangle covers x (within the half width of the tip), in time order: markers
// that overlap are all named, so that none hides behind another.
std::vector<SeekMarker> SeekMarkersAt(const std::vector<SeekMarker>& markers, int x);

} // namespace korvane
