#pragma once
// The telemetry of an export's range: each recording's telemetry loaded as the viewer and the
// CLI load it, cut to the part of the recording the clip takes. Sample i of a recording stands
// for its tenth i; the forms that carry one line a second (the "$" and "GPS" comment blocks) are
// cut on whole seconds, so that the clip's block decodes to exactly the rows of the range.
//
// What the clip carries, by form of the first recording:
//  - timed-text track: the track's samples of the range (the clip writer copies them) and the
//    camera's marker comment;
//  - "$" or "GPS" comment block: a new block of the range's lines;
//  - other cameras' fixes (NMEA side-car, freeGPS blocks) and side-car files: nothing in the
//    clip; the range is in track.gpx and telemetry.csv only.
#include "export/clip_plan.h"
#include "mp4parse/telemetry_types.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

struct RangeTelemetryPart {
    std::string name;                      // the recording's file name
    DataType type = DataTypeNone;
    std::vector<TelemetrySample> samples;  // the range's samples, in order
    std::vector<std::string> lines;        // their lines (the "$"/"GPS" forms: each line ten times)
};

struct RangeTelemetry {
    DataType type = DataTypeNone;          // the first recording's form
    std::vector<RangeTelemetryPart> parts; // one per clip piece
    std::string comment;                   // "@CMT" payload the clip gets, or empty
    bool inTextTrack = false;              // the clip's timed-text track carries it
};

// Loads and cuts the telemetry of `pieces`, setting each piece's firstSample and endSample.
RangeTelemetry CutTelemetry(std::vector<ClipPiece>& pieces);

// telemetry.csv: the CLI's telemetry columns for every sample of the range, rows numbered on.
std::string RangeCsv(const RangeTelemetry& t);

// track.gpx: one track per recording of the range.
std::string RangeGpx(const RangeTelemetry& t);

// Camera clock minus GPS UTC in seconds, from the first sample of the range whose line carries
// both ($GPRMC date and time, and the camera's clock). False when none does.
bool ClockMinusGpsUtc(const RangeTelemetry& t, std::int64_t& seconds);

// The camera clock of the first sample of the range that carries one ("YYYY/MM/DD hh:mm:ss"),
// with its place in the range in microseconds; false when none does.
bool FirstClockTime(const RangeTelemetry& t, std::string& dateTime, std::int64_t& atUs);

} // namespace korvane
