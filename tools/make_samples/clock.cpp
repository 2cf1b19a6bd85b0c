#include "tools/make_samples/clock.h"

#include <cstdio>

#include "mp4parse/civil_date.h"

namespace korvane::samples {
namespace {

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
  const int64_t days = DayOfSeconds(seconds);
  const int64_t rest = seconds - days * 86400;
  const CivilDate date = CivilFromDays(days);
  Civil c;
  c.year = date.year;
  c.month = date.month;
  c.day = date.day;
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
