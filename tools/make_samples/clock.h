// Wall-clock stamps of the recorder. The recorder has no notion of time zones: its file names,
// its telemetry and the clock drawn into the picture all show the same local time, which is
// handled here as seconds since 1970-01-01 00:00:00 without any zone.
#pragma once

#include <cstdint>
#include <string>

namespace korvane::samples {

struct Civil {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

int64_t ToSeconds(const Civil& c);
Civil FromSeconds(int64_t seconds);

std::string Stamp14(int64_t seconds);      // YYYYMMDDhhmmss (file names)
std::string SlashDateTime(int64_t seconds); // YYYY/MM/DD hh:mm:ss
std::string Yymmdd(int64_t seconds);        // the "$" form's date field
std::string Ddmmyy(int64_t seconds);        // the NMEA date field
std::string Hhmmss(int64_t seconds);

}  // namespace korvane::samples
