// Track point positions for the GPX: validity, range and the hemisphere of the $GPRMC sentence.
#include "export/gpx_point.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <vector>

#include "mp4parse/civil_date.h"
#include "mp4parse/text_fields.h"

namespace korvane {

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

namespace {

bool Digits(std::string_view s, size_t at, size_t count, int low, int high, int& value) {
  if (s.size() < at + count) return false;
  int v = 0;
  for (size_t i = at; i < at + count; ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
  }
  value = v;
  return v >= low && v <= high;
}

int DaysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

bool ToSeconds(int y, int mo, int d, int h, int mi, int s, int64_t& seconds) {
  if (d > DaysInMonth(y, mo)) return false;
  seconds = DaysFromCivil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
  return true;
}

}  // namespace

bool RmcUtc(std::string_view line, int64_t& seconds, int& tenths) {
  std::string_view copy = line.substr(0, std::min(line.size(), MaxLookedAt));
  if (const size_t g = copy.find("G:"); g != std::string_view::npos) copy = copy.substr(0, g >= 2 ? g - 2 : 0);
  const size_t rmc = copy.find("$GPRMC");
  if (rmc == std::string_view::npos) return false;
  const std::vector<std::string_view> f = fields::SplitFields(copy.substr(rmc));
  // f[1] hhmmss[.sss], f[9] ddmmyy.
  if (f.size() <= 9) return false;
  const std::string_view time = f[1], date = f[9];
  int h = 0, mi = 0, s = 0, d = 0, mo = 0, y = 0;
  if (time.size() < 6 || date.size() != 6 || !Digits(time, 0, 2, 0, 23, h) || !Digits(time, 2, 2, 0, 59, mi) ||
      !Digits(time, 4, 2, 0, 59, s) || !Digits(date, 0, 2, 1, 31, d) || !Digits(date, 2, 2, 1, 12, mo) ||
      !Digits(date, 4, 2, 0, 99, y))
    return false;
  tenths = -1;
  if (time.size() > 6) {
    int t = 0;
    if (time[6] != '.' || time.size() < 8 || !Digits(time, 7, 1, 0, 9, t)) return false;
    tenths = t;
  }
  // Two-digit years: the GPS era of these cameras, 1980 to 2079.
  return ToSeconds(y < 80 ? 2000 + y : 1900 + y, mo, d, h, mi, s, seconds);
}

bool CameraClockSeconds(std::string_view dt, int64_t& seconds) {
  if (dt.size() < 19 || dt[4] != '/' || dt[7] != '/' || dt[10] != ' ' || dt[13] != ':' || dt[16] != ':')
    return false;
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (!Digits(dt, 0, 4, 1, 9999, y) || !Digits(dt, 5, 2, 1, 12, mo) || !Digits(dt, 8, 2, 1, 31, d) ||
      !Digits(dt, 11, 2, 0, 23, h) || !Digits(dt, 14, 2, 0, 59, mi) || !Digits(dt, 17, 2, 0, 59, s))
    return false;
  return ToSeconds(y, mo, d, h, mi, s, seconds);
}

int LocalOffsetAt(int64_t clockSeconds) {
  // The clock's fields as a local time of this machine; its offset is local minus UTC.
  const time_t asUtc = static_cast<time_t>(clockSeconds);
  std::tm fields{};
  if (!gmtime_r(&asUtc, &fields)) return 0;
  fields.tm_isdst = -1;
  const time_t local = std::mktime(&fields);
  if (local == static_cast<time_t>(-1)) return 0;
  return static_cast<int>(clockSeconds - static_cast<int64_t>(local));
}

std::string GpxTimeText(int64_t seconds, int tenths, bool utc, int offsetSeconds) {
  const int64_t days = DayOfSeconds(seconds);
  const int64_t rest = seconds - days * 86400;
  const CivilDate date = CivilFromDays(days);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04lld-%02d-%02dT%02d:%02d:%02d.%d", static_cast<long long>(date.year), date.month, date.day,
                static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60),
                std::clamp(tenths, 0, 9));
  std::string out = buf;
  if (utc) return out + 'Z';
  const int off = offsetSeconds < 0 ? -offsetSeconds : offsetSeconds;
  std::snprintf(buf, sizeof buf, "%c%02d:%02d", offsetSeconds < 0 ? '-' : '+', off / 3600, off / 60 % 60);
  return out + buf;
}

bool RmcTimesCarryTenths(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    int64_t seconds = 0;
    int tenths = -1;
    if (RmcUtc(line, seconds, tenths) && tenths > 0) return true;
  }
  return false;
}

std::string GpxClock::Next(std::string_view line, const TelemetrySample& sample) {
  int64_t seconds = 0;
  int tenths = -1;
  const bool rmc = RmcUtc(line, seconds, tenths);
  if (!rmc && !CameraClockSeconds(sample.dateTime, seconds)) {
    haveSecond_ = false;
    return {};
  }
  run_ = haveSecond_ && seconds == second_ ? run_ + 1 : 0;
  haveSecond_ = true;
  second_ = seconds;
  const int shown = rmc && rmcTenths_ && tenths >= 0 ? tenths : std::min(run_, 9);
  return rmc ? GpxTimeText(seconds, shown, true, 0) : GpxTimeText(seconds, shown, false, LocalOffsetAt(seconds));
}

}  // namespace korvane
