// The simulated drive behind the sample recordings: a car leaves a car park, drives through town,
// stops at lights, brakes hard once, swerves once, takes a ramp onto an expressway (100 km/h, a
// tunnel without GPS fix), leaves it, drives back through town and parks. The script is a list of
// phases, each with a duration, an end speed and a heading change; speed and heading move along a
// half-cosine inside a phase, so acceleration and yaw rate start and end smoothly and the G values
// follow from them (longitudinal dv/dt, lateral v * yaw rate).
#pragma once

#include <cstdint>
#include <ctime>
#include <vector>

namespace korvane::samples {

struct DrivePoint {
  double t = 0;          // seconds since the start of the drive
  bool fix = true;       // the GPS receiver has a position
  double lat = 0;        // decimal degrees (north)
  double lon = 0;        // decimal degrees (east)
  double speedKmh = 0;   // speed over ground as the receiver reports it
  double headingDeg = 0; // course over ground, 0 = north, clockwise
  double gLong = 0;      // longitudinal acceleration in G (negative = braking)
  double gLat = 0;       // lateral acceleration in G (positive = pushed to the left, right turn)
  double g = 0;          // the sensor's single G value: horizontal magnitude plus vibration
};

struct DrivePhase {
  double seconds;
  double endKmh;
  double turnDeg;  // heading change over the phase, positive = to the right
};

// The drive's script; the drive starts at rest.
const std::vector<DrivePhase>& DriveScript();

// Seconds of drive covered by the script.
double DriveLength();

// Stretches without GPS fix: [from, to) in drive seconds.
struct NoFixStretch {
  double from;
  double to;
};
const std::vector<NoFixStretch>& NoFixStretches();

// Where the drive starts (the car park).
constexpr double kStartLat = 35.62351;
constexpr double kStartLon = 139.71844;

// The drive sampled ten times a second: element i is drive time i / 10.
std::vector<DrivePoint> SimulateDrive();

// The point at drive time t (seconds, any tenth); past the end the car stays parked.
DrivePoint PointAt(const std::vector<DrivePoint>& drive, int tenths);

}  // namespace korvane::samples
