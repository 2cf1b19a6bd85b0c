// The machine-readable description of a generated folder, for tests that compare what the
// viewer reads with what the generator wrote. All files are UTF-8 CSV with LF line ends; lines
// starting with '#' are comments, the first other line names the columns.
//
// expected/manifest.csv, one row per recording:
//   name          bare MP4 file name
//   group         Normal or Event
//   prefix        "", G, H, P or PH
//   stamp         the 14-digit stamp of the name
//   start         the clock at the first frame, YYYY/MM/DD hh:mm:ss (equals the stamp)
//   seconds       duration of video and audio
//   width,height,fps
//   tracks        codecs in track order, ';'-separated: h264;aac or h264;aac;text
//   telemetry     what the MP4 carries: none, subtitle (third-track timed text), dollar ("$"
//                 comment box), gps ("GPS" comment box)
//   marker        1 when a "KOVAGPS:" comment box precedes the tracks
//   data_type     what loading the MP4 alone reports: 0 none, 1 subtitle, 2 "GPS", 3 "$"
//   lines         entries of the loaded line list: one per text sample, ten per comment line
//   sidecar       the side-car file's path relative to the folder, or empty; the viewer looks for
//                 it as <working folder>/<stem>.GPS, so it has to be copied there to be used
//   sidecar_lines lines of the side-car file (it is decoded like the "$" form)
//   drive_offset  seconds into the drive (expected/drive.csv) at the first frame
//   expected      per-sample CSV relative to the folder, or empty (no telemetry anywhere)
//   bytes         MP4 file size
// A comment line "# generator <id>" identifies the generator build and options that made it.
//
// expected/<stem>.csv, one row per sample (ten a second; sample i is i tenths of a second into
// the recording), holding what a correct decoder reads from the recording's telemetry (the
// side-car file for a side-car recording):
//   index,time,fix,lat,lon,speed_kmh,g,g_text
//   time YYYY/MM/DD hh:mm:ss; fix 1 or 0; lat, lon decimal degrees (0 without a position);
//   speed_kmh empty when the line has no speed (decoders give 998.0); g as decoded (the "$" form
//   goes through single precision: compare with a tolerance of 1e-6); g_text the read-out text.
//
// expected/drive.csv, the whole simulated drive ten times a second, before any formatting:
//   t,time,fix,lat,lon,speed_kmh,heading,g_long,g_lat,g
#pragma once

#include <string>
#include <vector>

#include "tools/make_samples/drive.h"
#include "tools/make_samples/sample_set.h"
#include "tools/make_samples/telemetry.h"

namespace korvane::samples {

struct ManifestRow {
  RecordingPlan plan;
  VideoFormat format;
  int lines = 0;
  std::string sidecar;
  int sidecarLines = 0;
  std::string expected;
  unsigned long long bytes = 0;
};

std::string ExpectedCsv(const RecordingPlan& plan, const Telemetry& telemetry);
std::string DriveCsv(const std::vector<DrivePoint>& drive);
std::string ManifestCsv(const std::vector<ManifestRow>& rows, const std::string& generatorId);

constexpr unsigned long long kAnySize = ~0ull;

// Reads back the generator id and the files a manifest names: every MP4 with its size, every
// side-car and expected file with kAnySize. False when the text is not a manifest.
bool ReadManifest(const std::string& text, std::string& generatorId,
                  std::vector<std::pair<std::string, unsigned long long>>& files);

}  // namespace korvane::samples
