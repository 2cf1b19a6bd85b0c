#include "tools/make_samples/telemetry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tools/make_samples/clock.h"

namespace korvane::samples {
namespace {

constexpr double kKnotKmh = 1.852;

std::string Printf(const char* pattern, double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, pattern, value);
  return buf;
}

std::string Coordinate(double degrees, int degreeDigits) {
  degrees = std::fabs(degrees);
  int whole = int(degrees);
  // Minutes with five decimals; a value that rounds up to 60 moves into the degrees.
  long long hundredThousandths = std::llround((degrees - whole) * 60.0 * 100000.0);
  if (hundredThousandths >= 6000000) {
    hundredThousandths -= 6000000;
    ++whole;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%0*d%02lld.%05lld", degreeDigits, whole, hundredThousandths / 100000,
                hundredThousandths % 100000);
  return buf;
}

double Clamp(double v, double lo, double hi) { return std::min(hi, std::max(lo, v)); }

}  // namespace

std::string NmeaLatitude(double degrees) { return Coordinate(degrees, 2); }
std::string NmeaLongitude(double degrees) { return Coordinate(degrees, 3); }

double DecodeCoordinate(const std::string& field) {
  if (field.size() < 9) return 0;
  const std::string head = field.substr(0, field.size() - 8);
  const std::string tail = field.substr(field.size() - 8);
  return std::strtod(head.c_str(), nullptr) + std::strtod(tail.c_str(), nullptr) / 60.0;
}

std::string NmeaChecksum(const std::string& sentence) {
  unsigned sum = 0;
  for (size_t i = 1; i < sentence.size(); ++i) sum ^= static_cast<unsigned char>(sentence[i]);
  char buf[4];
  std::snprintf(buf, sizeof buf, "%02X", sum & 0xFF);
  return buf;
}

std::string GHexPairs(const double g[10]) {
  std::string out;
  long previous = -1;
  for (int k = 0; k < 10; ++k) {
    const long units = std::lround(Clamp(g[k], 0.0, 2.55) * 100.0);
    if (units == previous) {
      out += "$$";
    } else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%02lX", units);
      out += buf;
    }
    previous = units;
  }
  return out;
}

Telemetry BuildSubtitle(const std::vector<DrivePoint>& drive, int startTenths, int seconds, int64_t clockStart) {
  Telemetry t;
  t.form = Form::Subtitle;
  for (int i = 0; i < seconds * 10; ++i) {
    const DrivePoint p = PointAt(drive, startTenths + i);
    const int64_t clock = clockStart + i / 10;
    const std::string utc = Hhmmss(clock) + "." + std::to_string(i % 10) + "0";
    ExpectedSample e;
    e.dateTime = SlashDateTime(clock);
    std::string sentence;
    if (p.fix) {
      const std::string lat = NmeaLatitude(p.lat), lon = NmeaLongitude(p.lon);
      const std::string knots = Printf("%.2f", p.speedKmh / kKnotKmh);
      sentence = "$GPRMC," + utc + ",A," + lat + ",N," + lon + ",E," + knots + "," +
                 Printf("%.2f", p.headingDeg) + "," + Ddmmyy(clock) + ",,,A";
      e.fix = 1;
      e.lat = DecodeCoordinate(lat);
      e.lon = DecodeCoordinate(lon);
      e.speedKmh = std::strtod(knots.c_str(), nullptr) * kKnotKmh;
    } else {
      sentence = "$GPRMC," + utc + ",V,,,,,,," + Ddmmyy(clock) + ",,,N";
    }
    sentence += "*" + NmeaChecksum(sentence);
    const std::string gValue = Printf("%6.3f", Clamp(p.g, 0.0, 9.999));
    e.gText = "G:" + gValue;
    e.g = std::strtod(gValue.c_str(), nullptr);
    t.lines.push_back(sentence + "  " + e.gText + " Time:" + e.dateTime);
    t.expected.push_back(e);
  }
  return t;
}

Telemetry BuildDollar(const std::vector<DrivePoint>& drive, int startTenths, int seconds, int64_t clockStart) {
  Telemetry t;
  t.form = Form::Dollar;
  for (int s = 0; s < seconds; ++s) {
    const DrivePoint p = PointAt(drive, startTenths + s * 10);
    const int64_t clock = clockStart + s;
    double g[10];
    for (int k = 0; k < 10; ++k) g[k] = PointAt(drive, startTenths + s * 10 + k).g;
    const std::string lat = p.fix ? NmeaLatitude(p.lat) : "0000.00000";
    const std::string lon = p.fix ? NmeaLongitude(p.lon) : "00000.00000";
    const long speedField = p.fix ? std::lround(p.speedKmh / kKnotKmh * 10.0) : 9999;
    t.lines.push_back("$" + Yymmdd(clock) + "," + Hhmmss(clock) + "," + GHexPairs(g) + "," +
                      (p.fix ? "A," : "V,") + lat + "," + lon + "," + std::to_string(speedField));
    for (int k = 0; k < 10; ++k) {
      ExpectedSample e;
      e.dateTime = SlashDateTime(clock);
      e.fix = p.fix ? 1 : 0;
      e.lat = DecodeCoordinate(lat);
      e.lon = DecodeCoordinate(lon);
      e.speedKmh = speedField == 9999 ? 0.0 : speedField * 0.1 * kKnotKmh;
      const float value = float(std::lround(Clamp(g[k], 0.0, 2.55) * 100.0) * 0.01);
      e.g = value;
      e.gText = Printf("G:%03.2f", value);
      t.expected.push_back(e);
    }
  }
  return t;
}

std::string DollarComment(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\n";
  return out;
}

std::string GpsComment(const std::vector<std::string>& lines) {
  const std::string text = DollarComment(lines);
  std::string out = "GPS";
  out += char(1);
  const uint32_t n = uint32_t(text.size());
  out += char(n >> 24);
  out += char((n >> 16) & 0xFF);
  out += char((n >> 8) & 0xFF);
  out += char(n & 0xFF);
  return out + text;
}

std::string SidecarText(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines)
    for (int k = 0; k < 10; ++k) out += l + "\n";
  return out;
}

}  // namespace korvane::samples
