#include "tools/make_samples/clock.h"

#include <cstdio>

namespace korvane::samples {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t DaysFromCivil(int y, int m, int d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& y, int& m, int& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  d = int(doy - (153 * mp + 2) / 5 + 1);
  m = int(mp < 10 ? mp + 3 : mp - 9);
  y = int(yoe + era * 400 + (m <= 2));
}

std::string Format(const char* pattern, int a, int b, int c) {
  char buf[32];
  std::snprintf(buf, sizeof buf, pattern, a, b, c);
  return buf;
}

}  // namespace

int64_t ToSeconds(const Civil& c) {
  return DaysFromCivil(c.year, c.month, c.day) * 86400 + c.hour * 3600 + c.minute * 60 + c.second;
}

Civil FromSeconds(int64_t seconds) {
  int64_t days = seconds / 86400;
  int64_t rest = seconds % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  Civil c;
  CivilFromDays(days, c.year, c.month, c.day);
  c.hour = int(rest / 3600);
  c.minute = int(rest / 60 % 60);
  c.second = int(rest % 60);
  return c;
}

std::string Stamp14(int64_t seconds) {
  const Civil c = FromSeconds(seconds);
  return Format("%04d%02d%02d", c.year, c.month, c.day) + Format("%02d%02d%02d", c.hour, c.minute, c.second);
}

std::string SlashDateTime(int64_t seconds) {
  const Civil c = FromSeconds(seconds);
  return Format("%04d/%02d/%02d", c.year, c.month, c.day) + Format(" %02d:%02d:%02d", c.hour, c.minute, c.second);
}

std::string Yymmdd(int64_t seconds) {
  const Civil c = FromSeconds(seconds);
  return Format("%02d%02d%02d", c.year % 100, c.month, c.day);
}

std::string Ddmmyy(int64_t seconds) {
  const Civil c = FromSeconds(seconds);
  return Format("%02d%02d%02d", c.day, c.month, c.year % 100);
}

std::string Hhmmss(int64_t seconds) {
  const Civil c = FromSeconds(seconds);
  return Format("%02d%02d%02d", c.hour, c.minute, c.second);
}

}  // namespace korvane::samples
