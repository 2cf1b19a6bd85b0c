// Which samples become GPX track points and where they lie.
//
// The camera's samples carry latitude and longitude without sign. In the timed-text form
// (DataTypeSubtitle) each line holds a $GPRMC sentence whose hemisphere letters say where the
// point lies: S makes the latitude and W the longitude negative in the GPX. The "$" and "GPS"
// forms carry no hemisphere; their points stay as the samples hold them.
#pragma once

#include <string_view>

#include "mp4parse/telemetry_types.h"

namespace korvane::cli {

// -1 for a latitude (`longitude` false) or longitude (true) in the southern or western
// hemisphere by the $GPRMC sentence in `line`, else +1.
int HemisphereSign(std::string_view line, bool longitude);

// The point of `sample` (decoded from `line` of a recording of `type`) in signed degrees. False
// when the sample has no fix, lies at 0/0, or its position is not finite or outside ±90/±180.
bool GpxPosition(const TelemetrySample& sample, std::string_view line, DataType type, double& latitude,
                 double& longitude);

}  // namespace korvane::cli
