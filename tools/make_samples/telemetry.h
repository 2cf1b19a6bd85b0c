// The recorder's telemetry texts, made from the simulated drive:
//  - subtitle lines (one per text sample of the third track, ten a second):
//      $GPRMC,hhmmss.s0,A,ddmm.mmmmm,N,dddmm.mmmmm,E,knots,course,ddmmyy,,,A*CS  G: 0.123 Time:YYYY/MM/DD hh:mm:ss
//    without a fix the sentence is "$GPRMC,hhmmss.s0,V,,,,,,,ddmmyy,,,N*CS";
//  - "$" lines (one per second, carrying the ten G values of that second):
//      $YYMMDD,hhmmss,<ten hex pairs, G in 0.01 units, "$$" = same as the pair before>,A,ddmm.mmmmm,dddmm.mmmmm,<speed in 0.1 knot>
//    without a fix the status is V, the position 0000.00000,00000.00000 and the speed 9999;
//  - the "$" comment payload (the lines joined by LF), the "GPS" comment payload ("GPS", version
//    byte 1, the 32-bit big-endian byte count of the text, then the "$" lines), and the side-car
//    text (every "$" line ten times, one per tenth of a second, LF line ends).
// Next to every text goes what a decoder must read from it, sample by sample (ten a second).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/make_samples/drive.h"

namespace korvane::samples {

constexpr double kNoSpeed = 998.0;

struct ExpectedSample {
  std::string dateTime;     // YYYY/MM/DD hh:mm:ss
  int fix = 0;
  double lat = 0;           // as decoded from the written field
  double lon = 0;
  double speedKmh = kNoSpeed;  // kNoSpeed: the line has no speed
  double g = 0;
  std::string gText;
};

enum class Form { None, Subtitle, Dollar, GpsBlock };

struct Telemetry {
  Form form = Form::None;
  std::vector<std::string> lines;         // subtitle: one per tenth; "$"/"GPS": one per second
  std::vector<ExpectedSample> expected;   // one per tenth of a second
};

// Field formats and what the decoder makes of them.
std::string NmeaLatitude(double degrees);   // ddmm.mmmmm
std::string NmeaLongitude(double degrees);  // dddmm.mmmmm
double DecodeCoordinate(const std::string& field);
std::string NmeaChecksum(const std::string& sentence);  // two hex digits over the text after '$'
std::string GHexPairs(const double g[10]);

// The telemetry of a recording that starts at drive tenth `startTenths` and clock `clockStart`.
Telemetry BuildSubtitle(const std::vector<DrivePoint>& drive, int startTenths, int seconds, int64_t clockStart);
Telemetry BuildDollar(const std::vector<DrivePoint>& drive, int startTenths, int seconds, int64_t clockStart);

std::string DollarComment(const std::vector<std::string>& lines);
std::string GpsComment(const std::vector<std::string>& lines);
std::string SidecarText(const std::vector<std::string>& lines);

}  // namespace korvane::samples
