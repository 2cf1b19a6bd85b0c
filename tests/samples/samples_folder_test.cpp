// The sample folder that the `samples` target makes: the recordings a card of the recorder would
// hold, their track layout as ffprobe sees it, and the description written beside them.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "csv_table.h"
#include "tools/make_samples/clock.h"

namespace fs = std::filesystem;
using korvane::samples::test::CsvTable;
using korvane::samples::test::ReadCsv;

namespace {

const std::string kFolder = KORVANE_SAMPLES_DIR;

struct Probe {
  std::vector<std::map<std::string, std::string>> streams;
  double duration = 0;
};

// ffprobe's view of a file: one "key=value|key=value" line per stream, then the container.
Probe RunFfprobe(const std::string& path) {
  QProcess p;
  p.start("ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,codec_type,width,height,duration:format=duration",
                      "-of", "compact=p=1", QString::fromStdString(path)});
  Probe probe;
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return probe;
  std::istringstream out(p.readAllStandardOutput().toStdString());
  std::string line;
  while (std::getline(out, line)) {
    std::map<std::string, std::string> fields;
    std::istringstream parts(line);
    std::string part;
    std::getline(parts, part, '|');
    const std::string section = part;
    while (std::getline(parts, part, '|')) {
      const auto eq = part.find('=');
      if (eq != std::string::npos) fields[part.substr(0, eq)] = part.substr(eq + 1);
    }
    if (section == "stream") probe.streams.push_back(fields);
    if (section == "format") probe.duration = std::atof(fields["duration"].c_str());
  }
  return probe;
}

class SampleFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::is_regular_file(kFolder + "/expected/manifest.csv"))
        << "no sample folder at " << kFolder << ": build the `samples` target first";
    ASSERT_TRUE(ReadCsv(kFolder + "/expected/manifest.csv", manifest));
    ASSERT_FALSE(manifest.rows.empty());
  }
  CsvTable manifest;
};

int64_t StampSeconds(const std::string& stamp) {
  korvane::samples::Civil c;
  c.year = std::stoi(stamp.substr(0, 4));
  c.month = std::stoi(stamp.substr(4, 2));
  c.day = std::stoi(stamp.substr(6, 2));
  c.hour = std::stoi(stamp.substr(8, 2));
  c.minute = std::stoi(stamp.substr(10, 2));
  c.second = std::stoi(stamp.substr(12, 2));
  return korvane::samples::ToSeconds(c);
}

double DistanceMetres(double lat1, double lon1, double lat2, double lon2) {
  const double k = 3.14159265358979323846 / 180.0;
  const double x = (lon2 - lon1) * k * std::cos((lat1 + lat2) / 2 * k);
  const double y = (lat2 - lat1) * k;
  return 6371000.0 * std::hypot(x, y);
}

TEST_F(SampleFolder, HoldsTheRecordingsOfACard) {
  std::set<std::string> onDisk;
  for (const auto& e : fs::directory_iterator(kFolder))
    if (e.is_regular_file() && e.path().extension() == ".MP4") onDisk.insert(e.path().filename().string());
  std::set<std::string> listed;
  std::map<std::string, int> perPrefix;
  std::vector<int64_t> plainStamps;
  for (const auto& row : manifest.rows) {
    const std::string name = row.at("name"), prefix = row.at("prefix"), stamp = row.at("stamp");
    SCOPED_TRACE(name);
    listed.insert(name);
    ++perPrefix[prefix];
    ASSERT_EQ(stamp.size(), 14u);
    EXPECT_TRUE(std::all_of(stamp.begin(), stamp.end(), [](char c) { return c >= '0' && c <= '9'; }));
    EXPECT_EQ(name, prefix + stamp + ".MP4");
    const size_t wantLength = prefix.empty() ? 18 : prefix == "PH" ? 20 : 19;
    EXPECT_EQ(name.size(), wantLength);
    EXPECT_EQ(row.at("group"), prefix == "G" ? "Event" : "Normal");
    EXPECT_EQ(row.at("start"), korvane::samples::SlashDateTime(StampSeconds(stamp)));
    if (prefix.empty()) plainStamps.push_back(StampSeconds(stamp));
  }
  EXPECT_EQ(onDisk, listed);
  EXPECT_GE(perPrefix[""], 8);
  EXPECT_EQ(perPrefix["G"], 3);
  EXPECT_EQ(perPrefix["H"], 1);
  EXPECT_EQ(perPrefix["P"], 1);
  EXPECT_EQ(perPrefix["PH"], 1);
  std::sort(plainStamps.begin(), plainStamps.end());
  for (size_t i = 1; i < plainStamps.size(); ++i) EXPECT_EQ(plainStamps[i] - plainStamps[i - 1], 60) << i;
}

TEST_F(SampleFolder, CarriesEveryTelemetryForm) {
  const std::map<std::string, std::string> dataType = {{"none", "0"}, {"subtitle", "1"}, {"gps", "2"}, {"dollar", "3"}};
  std::map<std::string, int> forms;
  int withoutAny = 0, sidecars = 0;
  for (const auto& row : manifest.rows) {
    SCOPED_TRACE(row.at("name"));
    const std::string form = row.at("telemetry");
    ASSERT_TRUE(dataType.count(form));
    ++forms[form];
    EXPECT_EQ(row.at("data_type"), dataType.at(form));
    const int tenths = std::stoi(row.at("seconds")) * 10;
    EXPECT_EQ(std::stoi(row.at("lines")), form == "none" ? 0 : tenths);
    EXPECT_EQ(row.at("tracks"), form == "subtitle" ? "h264;aac;text" : "h264;aac");
    const std::string sidecar = row.at("sidecar");
    if (form == "none" && sidecar.empty()) ++withoutAny;
    if (sidecar.empty()) continue;
    ++sidecars;
    const std::string stem = row.at("name").substr(0, row.at("name").size() - 4);
    EXPECT_EQ(fs::path(sidecar).filename().string(), stem + ".GPS");
    std::ifstream in(kFolder + "/" + sidecar);
    ASSERT_TRUE(in);
    int lines = 0;
    for (std::string line; std::getline(in, line); ++lines) EXPECT_EQ(line.substr(0, 1), "$");
    EXPECT_EQ(lines, std::stoi(row.at("sidecar_lines")));
    EXPECT_EQ(lines, tenths);
  }
  EXPECT_GE(forms["subtitle"], 1);
  EXPECT_GE(forms["dollar"], 1);
  EXPECT_GE(forms["gps"], 1);
  EXPECT_GE(withoutAny, 1);
  EXPECT_GE(sidecars, 1);
}

TEST_F(SampleFolder, RecordingsHaveTheRecorderTrackLayout) {
  for (const auto& row : manifest.rows) {
    const std::string path = kFolder + "/" + row.at("name");
    SCOPED_TRACE(path);
    const double seconds = std::stod(row.at("seconds"));
    EXPECT_GE(seconds, 15);
    EXPECT_LE(seconds, 30);
    EXPECT_EQ(std::to_string(fs::file_size(path)), row.at("bytes"));
    Probe probe = RunFfprobe(path);
    const bool text = row.at("telemetry") == "subtitle";
    ASSERT_EQ(probe.streams.size(), text ? 3u : 2u);
    EXPECT_EQ(probe.streams[0]["codec_name"], "h264");
    EXPECT_EQ(probe.streams[0]["width"], "1280");
    EXPECT_EQ(probe.streams[0]["height"], "720");
    EXPECT_EQ(probe.streams[1]["codec_name"], "aac");
    if (text) {
      EXPECT_EQ(probe.streams[2]["codec_type"], "subtitle");
    }
    EXPECT_NEAR(probe.duration, seconds, 0.1);
    for (auto& s : probe.streams) EXPECT_NEAR(std::atof(s["duration"].c_str()), seconds, 0.1) << s["codec_name"];
  }
}

TEST_F(SampleFolder, ExpectedTelemetryDescribesOneBelievableDrive) {
  double maxSpeed = 0, maxG = 0;
  int fixRows = 0, noFixRows = 0;
  struct Ends {
    int64_t stamp;
    double firstLat, firstLon, lastLat, lastLon;
  };
  std::vector<Ends> plain;
  for (const auto& row : manifest.rows) {
    if (row.at("expected").empty()) continue;
    SCOPED_TRACE(row.at("expected"));
    CsvTable t;
    ASSERT_TRUE(ReadCsv(kFolder + "/" + row.at("expected"), t));
    const int seconds = std::stoi(row.at("seconds"));
    ASSERT_EQ(t.rows.size(), size_t(seconds) * 10);
    const int64_t start = StampSeconds(row.at("stamp"));
    EXPECT_EQ(t.rows.front().at("time"), korvane::samples::SlashDateTime(start));
    EXPECT_EQ(t.rows.back().at("time"), korvane::samples::SlashDateTime(start + seconds - 1));
    Ends ends{start, 0, 0, 0, 0};
    for (size_t i = 0; i < t.rows.size(); ++i) {
      const auto& r = t.rows[i];
      EXPECT_EQ(r.at("index"), std::to_string(i));
      const double g = std::stod(r.at("g"));
      maxG = std::max(maxG, g);
      EXPECT_GE(g, 0.0);
      if (r.at("fix") == "0") {
        ++noFixRows;
        continue;
      }
      ++fixRows;
      const double lat = std::stod(r.at("lat")), lon = std::stod(r.at("lon"));
      EXPECT_GT(lat, 35.0);
      EXPECT_LT(lat, 36.0);
      EXPECT_GT(lon, 139.0);
      EXPECT_LT(lon, 140.0);
      const double speed = std::stod(r.at("speed_kmh"));
      EXPECT_GE(speed, 0.0);
      maxSpeed = std::max(maxSpeed, speed);
      if (ends.firstLat == 0) ends.firstLat = lat, ends.firstLon = lon;
      ends.lastLat = lat, ends.lastLon = lon;
    }
    if (row.at("prefix").empty()) plain.push_back(ends);
  }
  EXPECT_GT(fixRows, 0);
  EXPECT_GT(noFixRows, 0);
  EXPECT_GT(maxSpeed, 90.0);
  EXPECT_LT(maxSpeed, 110.0);
  EXPECT_GT(maxG, 0.4);  // hard braking
  EXPECT_LT(maxG, 1.5);
  // One drive: each continuous recording starts a short way on from where the one before ended
  // (at most forty seconds of driving lie between them).
  std::sort(plain.begin(), plain.end(), [](const Ends& a, const Ends& b) { return a.stamp < b.stamp; });
  ASSERT_GE(plain.size(), 8u);
  for (size_t i = 1; i < plain.size(); ++i) {
    const double gap = DistanceMetres(plain[i - 1].lastLat, plain[i - 1].lastLon, plain[i].firstLat, plain[i].firstLon);
    EXPECT_LT(gap, 1300.0) << i;
  }
  const double whole = DistanceMetres(plain.front().firstLat, plain.front().firstLon, plain.back().lastLat,
                                      plain.back().lastLon);
  EXPECT_GT(whole, 1000.0);
}

}  // namespace
