// Read-out values of one sample; see readout_model.h.
#include "telemetry_view/readout_model.h"

#include <algorithm>

#include "mp4parse/telemetry_events.h"
#include "telemetry_view/chart_model.h"

namespace korvane {

Readout ReadoutAt(const TelemetryTrack& track, const std::vector<std::string>& lines, int index, bool mph)
{
    Readout r;
    const int last = std::max(UsableSamples(track) - 1, 0);
    index = std::clamp(index, 0, last);
    const TelemetrySample& s = track.samples[static_cast<std::size_t>(index)];
    if (static_cast<std::size_t>(index) < lines.size())
        r.subtitle = QString::fromStdString(lines[static_cast<std::size_t>(index)]).trimmed();
    r.fix = s.fixValid != 0;
    r.dateTime = QString::fromStdString(s.dateTime);
    if (!r.fix)
        r.speed = kNoSpeedText;
    else if (s.speedKmh != NoSpeed)
        r.speed = s.speedKmh > 500 ? QStringLiteral("0") : QString::number(static_cast<int>(SpeedInUnit(s.speedKmh, mph)));
    return r;
}

} // namespace korvane
