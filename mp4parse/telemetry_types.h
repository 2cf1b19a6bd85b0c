// The decoded telemetry of one recording: data source, samples, track and constants.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace korvane {

// Where a recording's telemetry lines came from and how they are laid out.
enum DataType : int32_t {
  DataTypeNone = 0,      // nothing found; no lines
  DataTypeSubtitle = 1,  // the third track's text samples, one line per sample
  DataTypeGps = 2,       // a "GPS" comment block (each line ten times) or the side-car file
  DataTypeDollar = 3,    // a "$" comment block, each line ten times
  DataTypeFixes = 4,     // another camera's GPS fixes (NMEA side-car, freeGPS blocks), each fix
                         // ten samples and ten lines, positions signed by their hemisphere
};

inline constexpr double NoSpeed = 998.0;            // speed absent
inline constexpr long SpeedZeroMarker = 9999;       // a speed field reading 9999 means 0
inline constexpr double KnotsToKmh = 1.852;
inline constexpr double DollarSpeedUnit = 0.1;      // "$" lines give tenths of a knot
inline constexpr double GUnit = 0.01;               // G per unit of a hexadecimal G pair
inline constexpr double MinutesPerDegree = 60.0;
inline constexpr double DefaultMaxSpeed = 180.0;    // maxSpeed when nothing was counted
inline constexpr size_t MinLineLength = 30;         // shorter lines are not parsed
inline constexpr size_t MinSubtitleRest = 60;       // subtitle line left after the G part
inline constexpr size_t MaxLookedAt = 519;          // longest part of a line looked at
inline constexpr size_t TrackCapacity = 900;        // 90 s at ten samples per second
inline constexpr size_t GValueCount = 10;           // G values per "$" line
inline constexpr size_t MaxGText = 519;
inline constexpr size_t MaxDateTime = 21;
inline constexpr double MaxLatitude = 90.0;
inline constexpr double MaxLongitude = 180.0;

// A latitude and longitude that can stand for a place: both finite and within their ranges
// (the hemisphere may or may not be applied yet).
inline bool PositionInRange(double latitude, double longitude) {
  return latitude == latitude && longitude == longitude && latitude >= -MaxLatitude &&
         latitude <= MaxLatitude && longitude >= -MaxLongitude && longitude <= MaxLongitude;
}

// One sample. A default-constructed sample is the cleared state (all zero); a parse starts from
// Reset(), which differs only in speedKmh = NoSpeed.
struct TelemetrySample {
  uint8_t fixValid = 0;    // 1 when the GPS status was "A"
  double latitude = 0;     // decimal degrees, hemisphere not applied (applied for DataTypeFixes)
  double longitude = 0;
  double speedKmh = 0;     // NoSpeed when the line had no speed
  double gForce = 0;
  std::string gText;       // "G:" and the value, at most MaxGText characters
  std::string dateTime;    // "YYYY/MM/DD hh:mm:ss", at most MaxDateTime characters

  void Reset() {
    *this = TelemetrySample{};
    speedKmh = NoSpeed;
  }
};

// A channel's decoded telemetry; sample i stands for i tenths of a second.
struct TelemetryTrack {
  int32_t validCount = 0;   // samples (subtitle) or lines ("$") with a fix
  int32_t speedCount = 0;   // samples with a speed (subtitle) / raises of maxSpeed ("$")
  int32_t sampleCount = 0;  // number of lines decoded (may exceed TrackCapacity)
  int32_t dataType = DataTypeNone;
  double maxSpeed = 0;
  double maxG = 0;
  std::array<TelemetrySample, TrackCapacity> samples{};

  void Clear() {
    validCount = speedCount = sampleCount = 0;
    dataType = DataTypeNone;
    maxSpeed = maxG = 0;
    for (TelemetrySample& s : samples) s = TelemetrySample{};
  }
};

}  // namespace korvane
