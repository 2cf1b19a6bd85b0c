// Which recordings a sample folder holds: names, clock stamps, the part of the drive each one
// covers, and where each one carries its telemetry.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/make_samples/telemetry.h"

namespace korvane::samples {

struct RecordingPlan {
  std::string name;         // bare file name, e.g. "G20250614080130.MP4"
  std::string prefix;       // "", "G", "H", "P" or "PH"
  bool event = false;       // Event group (prefix G); every other prefix is Normal
  int64_t clockStart = 0;   // the stamp in the name, as wall-clock seconds
  int driveTenths = 0;      // drive time at the first frame, in tenths of a second
  int seconds = 20;
  Form form = Form::None;   // telemetry inside the MP4
  bool marker = false;      // a "KOVAGPS:" comment before the tracks (subtitle form)
  bool sidecar = false;     // a side-car file carries the telemetry instead
  std::string Stem() const { return name.substr(0, name.size() - 4); }
};

struct VideoFormat {
  int width = 1280;
  int height = 720;
  int seconds = 20;
  int fps = 30;
  int crf = 23;
};

// The clock at the start of the drive: 2025-06-14 08:00:00.
int64_t DriveClockStart();

// The standard folder: eight Normal recordings one minute apart, three Event recordings, and one
// each with the prefixes H, PH and P.
std::vector<RecordingPlan> StandardSet(int seconds);

// `normal` Normal and `events` Event recordings one minute apart with "$" comment telemetry
// (benchmark folders).
std::vector<RecordingPlan> CountSet(int normal, int events, int seconds);

std::string FormName(Form form);    // none, subtitle, dollar, gps
int LoadDataType(Form form);        // the data type a load of the MP4 alone reports

}  // namespace korvane::samples
