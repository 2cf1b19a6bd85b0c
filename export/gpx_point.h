// Which samples become GPX track points and where they lie.
//
// The camera's samples carry latitude and longitude without sign. In the timed-text form
// (DataTypeSubtitle) each line holds a $GPRMC sentence whose hemisphere letters say where the
// point lies: S makes the latitude and W the longitude negative in the GPX. The "$" and "GPS"
// forms carry no hemisphere; their points stay as the samples hold them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mp4parse/telemetry_types.h"

namespace korvane {

// -1 for a latitude (`longitude` false) or longitude (true) in the southern or western
// hemisphere by the $GPRMC sentence in `line`, else +1.
int HemisphereSign(std::string_view line, bool longitude);

// The point of `sample` (decoded from `line` of a recording of `type`) in signed degrees. False
// when the sample has no fix, lies at 0/0, or its position is not finite or outside ±90/±180.
bool GpxPosition(const TelemetrySample& sample, std::string_view line, DataType type, double& latitude,
                 double& longitude);

// The GPS's own UTC time of a $GPRMC sentence in `line`: date (ddmmyy) and time (hhmmss[.sss])
// as whole seconds since the epoch, and the tenths its time carries (-1 when it carries none).
// False when the line holds no complete, valid RMC date and time.
bool RmcUtc(std::string_view line, int64_t& seconds, int& tenths);

// "YYYY/MM/DD hh:mm:ss" of the camera clock → the same moment as seconds of a UTC-like count
// (the clock's fields taken as if they were UTC). False when it is not a complete valid time.
bool CameraClockSeconds(std::string_view dateTime, int64_t& seconds);

// The offset of this machine's time zone (TZ) from UTC at the camera clock time `clockSeconds`
// (fields counted as UTC), in seconds east of Greenwich.
int LocalOffsetAt(int64_t clockSeconds);

// "YYYY-MM-DDThh:mm:ss.dZ" of a UTC time, or with "+hh:mm"/"-hh:mm" for `offsetSeconds`
// when `utc` is false; seconds are of the time written.
std::string GpxTimeText(int64_t seconds, int tenths, bool utc, int offsetSeconds);

// The times of a track's GPX points. A $GPRMC sentence gives the GPS's UTC date and time;
// without one (the "$" and "GPS" forms) the camera clock is written with the offset of this
// machine's time zone. Tenths come from the RMC time when the track's RMC times carry any, else
// from the sample's place among the samples of the same second (sample i stands for i tenths).
class GpxClock {
 public:
  explicit GpxClock(bool rmcCarriesTenths) : rmcTenths_(rmcCarriesTenths) {}
  // Called for every sample in order; returns its time text (empty when it has no time).
  std::string Next(std::string_view line, const TelemetrySample& sample);

 private:
  bool rmcTenths_;
  bool haveSecond_ = false;
  int64_t second_ = 0;
  int run_ = 0;
};

// Whether any $GPRMC time among `lines` carries a non-zero fraction of a second.
bool RmcTimesCarryTenths(const std::vector<std::string>& lines);

}  // namespace korvane
