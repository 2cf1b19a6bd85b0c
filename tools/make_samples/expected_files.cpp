#include "tools/make_samples/expected_files.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "tools/make_samples/clock.h"

namespace korvane::samples {
namespace {

std::string F(const char* pattern, double v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, pattern, v);
  return buf;
}

std::vector<std::string> SplitCsv(const std::string& line) {
  std::vector<std::string> out(1);
  for (char c : line) {
    if (c == ',')
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

}  // namespace

std::string ExpectedCsv(const RecordingPlan& plan, const Telemetry& telemetry) {
  std::string out = "# Telemetry of " + plan.name + " (" + (plan.sidecar ? "side-car file" : FormName(telemetry.form)) +
                    "), ten samples a second, as a decoder reads it.\n";
  out += "index,time,fix,lat,lon,speed_kmh,g,g_text\n";
  for (size_t i = 0; i < telemetry.expected.size(); ++i) {
    const ExpectedSample& e = telemetry.expected[i];
    out += std::to_string(i) + "," + e.dateTime + "," + std::to_string(e.fix) + "," + F("%.10f", e.lat) + "," +
           F("%.10f", e.lon) + "," + (e.speedKmh == kNoSpeed ? std::string() : F("%.6f", e.speedKmh)) + "," +
           F("%.6f", e.g) + "," + e.gText + "\n";
  }
  return out;
}

std::string DriveCsv(const std::vector<DrivePoint>& drive) {
  std::string out = "# The simulated drive behind the samples, ten points a second, before formatting.\n";
  out += "t,time,fix,lat,lon,speed_kmh,heading,g_long,g_lat,g\n";
  for (const auto& p : drive) {
    const int64_t clock = DriveClockStart() + int64_t(p.t);
    out += F("%.1f", p.t) + "," + SlashDateTime(clock) + "," + (p.fix ? "1" : "0") + "," + F("%.8f", p.lat) + "," +
           F("%.8f", p.lon) + "," + F("%.3f", p.speedKmh) + "," + F("%.2f", p.headingDeg) + "," +
           F("%.4f", p.gLong) + "," + F("%.4f", p.gLat) + "," + F("%.4f", p.g) + "\n";
  }
  return out;
}

std::string ManifestCsv(const std::vector<ManifestRow>& rows, const std::string& generatorId) {
  std::string out = "# Sample recordings made by make_samples; columns are described in expected_files.h.\n";
  out += "# generator " + generatorId + "\n";
  out += "name,group,prefix,stamp,start,seconds,width,height,fps,tracks,telemetry,marker,data_type,lines,"
         "sidecar,sidecar_lines,drive_offset,expected,bytes\n";
  for (const auto& r : rows) {
    const RecordingPlan& p = r.plan;
    out += p.name + "," + (p.event ? "Event" : "Normal") + "," + p.prefix + "," + Stamp14(p.clockStart) + "," +
           SlashDateTime(p.clockStart) + "," + std::to_string(r.format.seconds) + "," +
           std::to_string(r.format.width) + "," + std::to_string(r.format.height) + "," +
           std::to_string(r.format.fps) + "," + (p.form == Form::Subtitle ? "h264;aac;text" : "h264;aac") + "," +
           FormName(p.form) + "," + (p.marker ? "1" : "0") + "," + std::to_string(LoadDataType(p.form)) + "," +
           std::to_string(r.lines) + "," + r.sidecar + "," + std::to_string(r.sidecarLines) + "," +
           F("%.1f", p.driveTenths / 10.0) + "," + r.expected + "," + std::to_string(r.bytes) + "\n";
  }
  return out;
}

bool ReadManifest(const std::string& text, std::string& generatorId,
                  std::vector<std::pair<std::string, unsigned long long>>& files) {
  std::istringstream in(text);
  std::string line;
  std::vector<std::string> columns;
  int nameCol = -1, bytesCol = -1, sidecarCol = -1, expectedCol = -1;
  generatorId.clear();
  files.clear();
  while (std::getline(in, line)) {
    if (line.rfind("# generator ", 0) == 0) {
      generatorId = line.substr(12);
      continue;
    }
    if (line.empty() || line[0] == '#') continue;
    const auto cells = SplitCsv(line);
    if (columns.empty()) {
      columns = cells;
      for (size_t i = 0; i < columns.size(); ++i) {
        if (columns[i] == "name") nameCol = int(i);
        if (columns[i] == "bytes") bytesCol = int(i);
        if (columns[i] == "sidecar") sidecarCol = int(i);
        if (columns[i] == "expected") expectedCol = int(i);
      }
      if (nameCol < 0 || bytesCol < 0 || sidecarCol < 0 || expectedCol < 0) return false;
      continue;
    }
    if (cells.size() != columns.size()) return false;
    char* end = nullptr;
    const std::string& bytes = cells[size_t(bytesCol)];
    const unsigned long long size = std::strtoull(bytes.c_str(), &end, 10);
    if (bytes.empty() || *end != '\0') return false;
    files.emplace_back(cells[size_t(nameCol)], size);
    for (int col : {sidecarCol, expectedCol})
      if (!cells[size_t(col)].empty()) files.emplace_back(cells[size_t(col)], kAnySize);
  }
  return !generatorId.empty() && !columns.empty();
}

}  // namespace korvane::samples
