// The seek bar's event markers as numbers; see seek_marker_layout.h.
#include "telemetry_view/seek_marker_layout.h"

#include <algorithm>
#include <cstdlib>

namespace korvane {

int SeekMarkerX(const SeekBarSpan& span, int tenths)
{
    const int travel = span.trackWidth - span.thumbWidth;
    const int position = std::clamp(tenths, 0, std::max(span.durationTenths, 0));
    // The bar moves its thumb by the truncated share of its travel: the same arithmetic here.
    const int offset = span.durationTenths <= 0 ? 0 : static_cast<int>(double(position) * travel / span.durationTenths);
    return span.trackLeft + offset + span.thumbWidth / 2;
}

std::vector<SeekMarker> PlaceSeekMarkers(const SeekBarSpan& span, const std::vector<TelemetryEvent>& events)
{
    std::vector<SeekMarker> markers;
    if (span.durationTenths <= 0 || span.trackWidth <= 0)
        return markers;
    markers.reserve(events.size());
    for (const TelemetryEvent& e : events)
        markers.push_back({e, SeekMarkerX(span, e.sample)});
    return markers;
}

std::vector<SeekMarker> SeekMarkersAt(const std::vector<SeekMarker>& markers, int x)
{
    std::vector<SeekMarker> hit;
    for (const SeekMarker& m : markers)
        if (std::abs(m.x - x) <= kSeekMarkerHalfWidth)
            hit.push_back(m);
    std::stable_sort(hit.begin(), hit.end(),
                     [](const SeekMarker& a, const SeekMarker& b) { return a.event.sample < b.event.sample; });
    return hit;
}

} // namespace korvane
