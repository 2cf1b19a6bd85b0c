#include "tools/make_samples/drive.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace korvane::samples {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kGravity = 9.80665;
constexpr double kEarthRadius = 6371000.0;

// A small deterministic generator, so every run writes the same files.
double Noise(uint32_t seed, uint32_t i) {
  uint64_t x = (uint64_t(seed) << 32) ^ (i * 0x9E3779B97F4A7C15ull);
  x ^= x >> 33;
  x *= 0xff51afd7ed558ccdull;
  x ^= x >> 33;
  x *= 0xc4ceb9fe1a85ec53ull;
  x ^= x >> 33;
  return double(x >> 11) / double(1ull << 53);  // [0, 1)
}

}  // namespace

const std::vector<DrivePhase>& DriveScript() {
  // seconds, end speed km/h, heading change degrees (right positive)
  static const std::vector<DrivePhase> script = {
      {6, 0, 0},       // [0,6)     parked, engine running, receiver still searching
      {8, 20, 0},      // [6,14)    out of the car park
      {6, 18, 90},     // [14,20)   right turn onto the street
      {15, 40, 0},     // [20,35)
      {23, 45, 0},     // [35,58)
      {8, 0, 0},       // [58,66)   braking for a red light
      {8, 0, 0},       // [66,74)   waiting
      {10, 45, 0},     // [74,84)
      {9, 45, 0},      // [84,93)
      {2.5, 5, 0},     // [93,95.5) hard braking: someone steps onto the road
      {4.5, 5, 0},     // [95.5,100)
      {10, 40, 0},     // [100,110)
      {10, 40, 0},     // [110,120)
      {8, 20, 0},      // [120,128)
      {6, 20, -90},    // [128,134) left turn onto the main road
      {14, 60, 0},     // [134,148)
      {10, 60, 20},    // [148,158) gentle right curve
      {22, 60, 0},     // [158,180)
      {8, 60, -30},    // [180,188) S-bend
      {8, 60, 30},     // [188,196)
      {14, 55, 0},     // [196,210)
      {3, 55, 0},      // [210,213)
      {1.5, 50, -15},  // [213,214.5) swerve around an obstacle
      {1.5, 45, 15},   // [214.5,216)
      {2, 35, 0},      // [216,218)
      {4, 45, 0},      // [218,222)
      {12, 45, 120},   // [222,234) ramp up to the expressway
      {10, 100, 0},    // [234,244) merging
      {46, 100, -10},  // [244,290) expressway, tunnel from 246 to 257
      {20, 100, 25},   // [290,310) long right curve
      {20, 100, 0},    // [310,330)
      {5, 40, 0},      // [330,335) hard braking: end of a traffic jam
      {10, 30, 0},     // [335,345)
      {5, 60, 0},      // [345,350)
      {10, 70, 0},     // [350,360)
      {12, 35, 90},    // [360,372) exit ramp
      {8, 0, 0},       // [372,380) braking for the light at the end of the ramp
      {12, 0, 0},      // [380,392)
      {13, 50, 0},     // [392,405)
      {15, 50, 0},     // [405,420)
      {6, 20, 0},      // [420,426)
      {6, 20, 90},     // [426,432) right turn
      {13, 40, 0},     // [432,445)
      {33, 40, -15},   // [445,478)
      {12, 15, 0},     // [478,490)
      {6, 15, -90},    // [490,496) left turn into a side street
      {34, 30, 0},     // [496,530)
      {10, 10, 0},     // [530,540)
      {8, 10, 90},     // [540,548) into the car park
      {8, 0, 0},       // [548,556) parked
      {164, 0, 0},     // [556,720) engine running, standing
  };
  return script;
}

double DriveLength() {
  double total = 0;
  for (const auto& p : DriveScript()) total += p.seconds;
  return total;
}

const std::vector<NoFixStretch>& NoFixStretches() {
  static const std::vector<NoFixStretch> stretches = {{0.0, 4.0}, {246.0, 257.0}};
  return stretches;
}

std::vector<DrivePoint> SimulateDrive() {
  constexpr int kStepsPerTenth = 10;  // 10 ms integration steps
  constexpr double dt = 0.01;
  const auto& script = DriveScript();
  std::vector<DrivePoint> out;
  double x = 0, y = 0;  // metres east / north of the start
  double v0 = 0, heading0 = 0;
  int step = 0;
  for (const auto& phase : script) {
    const double v1 = phase.endKmh / 3.6;
    const double turn = phase.turnDeg * kPi / 180.0;
    const int steps = int(std::lround(phase.seconds / dt));
    for (int k = 0; k < steps; ++k, ++step) {
      const double tau = k * dt;
      const double w = kPi / phase.seconds;
      const double blend = (1 - std::cos(w * tau)) / 2;
      const double rate = std::sin(w * tau) * w / 2;
      const double v = v0 + (v1 - v0) * blend;
      const double heading = heading0 + turn * blend;
      if (step % kStepsPerTenth == 0) {
        DrivePoint p;
        p.t = step * dt;
        const uint32_t i = uint32_t(step / kStepsPerTenth);
        // The receiver's position wanders by a metre or so.
        const double jx = 1.1 * std::sin(p.t / 7.3) + 0.4 * std::sin(p.t / 2.1 + 1.0);
        const double jy = 0.9 * std::cos(p.t / 6.1) + 0.5 * std::sin(p.t / 3.7 + 2.0);
        const double lat0 = kStartLat * kPi / 180.0;
        p.lat = kStartLat + (y + jy) / kEarthRadius * 180.0 / kPi;
        p.lon = kStartLon + (x + jx) / (kEarthRadius * std::cos(lat0)) * 180.0 / kPi;
        const bool moving = v > 0.15;
        p.speedKmh = moving ? std::max(0.0, v * 3.6 + (Noise(1, i) - 0.5) * 0.4) : 0.0;
        double deg = std::fmod(heading * 180.0 / kPi, 360.0);
        if (deg < 0) deg += 360.0;
        p.headingDeg = deg;
        p.gLong = (v1 - v0) * rate / kGravity;
        p.gLat = v * turn * rate / kGravity;
        const double vibration = (moving ? 0.025 : 0.008) * Noise(2, i);
        p.g = std::hypot(p.gLong, p.gLat) + vibration;
        p.fix = true;
        for (const auto& s : NoFixStretches())
          if (p.t >= s.from && p.t < s.to) p.fix = false;
        out.push_back(p);
      }
      x += v * std::sin(heading) * dt;
      y += v * std::cos(heading) * dt;
    }
    v0 = v1;
    heading0 += turn;
  }
  return out;
}

DrivePoint PointAt(const std::vector<DrivePoint>& drive, int tenths) {
  if (tenths < 0) tenths = 0;
  if (size_t(tenths) < drive.size()) return drive[size_t(tenths)];
  DrivePoint p = drive.back();
  p.t = tenths / 10.0;
  return p;
}

}  // namespace korvane::samples
