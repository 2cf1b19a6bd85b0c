// Track point positions for the GPX: validity, range and the hemisphere of the $GPRMC sentence.
#include "tools/cli/gpx_point.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "mp4parse/text_fields.h"

namespace korvane::cli {

int HemisphereSign(std::string_view line, bool longitude) {
  // The same cuts as the subtitle decoder: the part looked at, then everything from the "G:"
  // part on left out, so that the fields counted are the ones the position was read from.
  std::string_view copy = line.substr(0, std::min(line.size(), MaxLookedAt));
  if (const size_t g = copy.find("G:"); g != std::string_view::npos) copy = copy.substr(0, g >= 2 ? g - 2 : 0);
  const size_t rmc = copy.find("$GPRMC");
  if (rmc == std::string_view::npos) return 1;
  const std::vector<std::string_view> f = fields::SplitFields(copy.substr(rmc));
  // f[3] latitude, f[4] N/S, f[5] longitude, f[6] E/W.
  const size_t at = longitude ? 6 : 4;
  if (f.size() <= at || f[at].empty()) return 1;
  return f[at][0] == (longitude ? 'W' : 'S') ? -1 : 1;
}

bool GpxPosition(const TelemetrySample& sample, std::string_view line, DataType type, double& latitude,
                 double& longitude) {
  if (sample.fixValid != 1 || (sample.latitude == 0 && sample.longitude == 0)) return false;
  if (!PositionInRange(sample.latitude, sample.longitude)) return false;
  latitude = sample.latitude;
  longitude = sample.longitude;
  if (type == DataTypeSubtitle) {
    latitude *= HemisphereSign(line, false);
    longitude *= HemisphereSign(line, true);
  }
  return true;
}

}  // namespace korvane::cli
