#pragma once
// What the read-outs show for a playback position, computed without any widget: the sample
// index (always one of the samples that exist) and the captions and fix state of that sample.
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "mp4parse/sample_index.h"
#include "mp4parse/telemetry_types.h"

namespace korvane {

inline const QString kNoSpeedText = QStringLiteral("  -");

struct Readout {
    bool fix = false;
    std::optional<QString> speed;  // empty: the speed caption keeps its text
    QString dateTime;
    QString subtitle;               // the raw line; empty when there is none
};

// The speed caption is in miles per hour when `mph` is set (the track stays in km/h).
Readout ReadoutAt(const TelemetryTrack& track, const std::vector<std::string>& lines, int index, bool mph = false);

} // namespace korvane
