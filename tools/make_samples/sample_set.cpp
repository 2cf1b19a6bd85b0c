#include "tools/make_samples/sample_set.h"

#include "tools/make_samples/clock.h"

namespace korvane::samples {

int64_t DriveClockStart() { return ToSeconds(Civil{2025, 6, 14, 8, 0, 0}); }

namespace {

RecordingPlan Plan(const std::string& prefix, int driveSeconds, int seconds, Form form) {
  RecordingPlan p;
  p.prefix = prefix;
  p.event = prefix == "G";
  p.clockStart = DriveClockStart() + driveSeconds;
  p.driveTenths = driveSeconds * 10;
  p.seconds = seconds;
  p.form = form;
  p.name = prefix + Stamp14(p.clockStart) + ".MP4";
  return p;
}

}  // namespace

std::vector<RecordingPlan> StandardSet(int seconds) {
  std::vector<RecordingPlan> set;
  // Continuous recordings, one a minute, following the drive.
  const Form normalForms[8] = {Form::Subtitle, Form::Subtitle, Form::Subtitle, Form::Dollar,
                               Form::Dollar,   Form::GpsBlock, Form::GpsBlock, Form::Subtitle};
  for (int k = 0; k < 8; ++k) {
    RecordingPlan p = Plan("", k * 60, seconds, normalForms[k]);
    p.marker = p.form == Form::Subtitle;
    set.push_back(p);
  }
  // Event recordings around the hard braking, the swerve and the end of the traffic jam.
  RecordingPlan brake = Plan("G", 90, seconds, Form::Subtitle);
  brake.marker = true;
  set.push_back(brake);
  set.push_back(Plan("G", 210, seconds, Form::Dollar));
  set.push_back(Plan("G", 330, seconds, Form::GpsBlock));
  // The other prefixes: a side-car recording, a subtitle track without marker, and one without
  // any telemetry while the car stands.
  RecordingPlan h = Plan("H", 480, seconds, Form::None);
  h.sidecar = true;
  set.push_back(h);
  set.push_back(Plan("PH", 540, seconds, Form::Subtitle));
  set.push_back(Plan("P", 600, seconds, Form::None));
  return set;
}

std::vector<RecordingPlan> CountSet(int normal, int events, int seconds) {
  std::vector<RecordingPlan> set;
  const int driveMinutes = 11;  // the drive repeats every 11 minutes of recordings
  for (int k = 0; k < normal; ++k) {
    RecordingPlan p = Plan("", k * 60, seconds, Form::Dollar);
    p.driveTenths = (k % driveMinutes) * 600;
    set.push_back(p);
  }
  for (int k = 0; k < events; ++k) {
    RecordingPlan p = Plan("G", k * 60 + 30, seconds, Form::Dollar);
    p.driveTenths = (k % driveMinutes) * 600 + 300;
    set.push_back(p);
  }
  return set;
}

std::string FormName(Form form) {
  switch (form) {
    case Form::Subtitle: return "subtitle";
    case Form::Dollar: return "dollar";
    case Form::GpsBlock: return "gps";
    case Form::None: break;
  }
  return "none";
}

int LoadDataType(Form form) {
  switch (form) {
    case Form::Subtitle: return 1;
    case Form::GpsBlock: return 2;
    case Form::Dollar: return 3;
    case Form::None: break;
  }
  return 0;
}

}  // namespace korvane::samples
