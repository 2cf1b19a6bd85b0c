// korvane-cli telemetry on the generated sample recordings, compared with what the generator
// says it wrote (expected/manifest.csv and expected/<stem>.csv).
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "run_process.h"

namespace korvane::test {
namespace {

using Row = std::map<std::string, std::string>;

std::vector<std::string> SplitComma(const std::string& line) {
  std::vector<std::string> out(1);
  for (char c : line) {
    if (c == ',') out.emplace_back();
    else out.back() += c;
  }
  return out;
}

// A generator CSV: '#' lines are comments, the first other line names the columns.
std::vector<Row> ReadTable(const std::string& path) {
  std::ifstream in(path);
  std::vector<Row> rows;
  std::vector<std::string> columns;
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const auto cells = SplitComma(line);
    if (columns.empty()) {
      columns = cells;
      continue;
    }
    Row r;
    for (size_t i = 0; i < columns.size() && i < cells.size(); ++i) r[columns[i]] = cells[i];
    rows.push_back(r);
  }
  return rows;
}

// korvane-cli's CSV rows (no quoting occurs in the samples).
struct CliTable {
  std::map<std::string, std::string> header;  // data_type, lines, ...
  std::vector<Row> rows;
};

CliTable ParseCli(const std::string& out) {
  CliTable t;
  std::istringstream in(out);
  std::string line;
  std::getline(in, line);
  std::istringstream words(line.substr(2));
  for (std::string w; words >> w;) {
    const size_t eq = w.find('=');
    t.header[w.substr(0, eq)] = w.substr(eq + 1);
  }
  std::getline(in, line);
  const auto columns = SplitComma(line);
  while (std::getline(in, line)) {
    const auto cells = SplitComma(line);
    Row r;
    for (size_t i = 0; i < columns.size() && i < cells.size(); ++i) r[columns[i]] = cells[i];
    t.rows.push_back(r);
  }
  return t;
}

class Samples : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = KORVANE_SAMPLES_DIR;
    if (!std::filesystem::exists(folder_ + "/expected/manifest.csv"))
      GTEST_SKIP() << "no sample folder at " << folder_ << " (build the samples target)";
    manifest_ = ReadTable(folder_ + "/expected/manifest.csv");
    ASSERT_FALSE(manifest_.empty());
  }
  std::string folder_;
  std::vector<Row> manifest_;
};

TEST_F(Samples, MediaAloneGivesTheManifestsDataTypeAndLines) {
  for (const Row& m : manifest_) {
    SCOPED_TRACE(m.at("name"));
    const ProcessResult r = RunCli({"telemetry", folder_ + "/" + m.at("name")});
    ASSERT_EQ(r.status, 0) << r.err;
    const CliTable t = ParseCli(r.out);
    EXPECT_EQ(t.header.at("data_type"), m.at("data_type"));
    EXPECT_EQ(t.header.at("lines"), m.at("lines"));
    EXPECT_EQ(t.header.at("samples"), m.at("lines"));
  }
}

TEST_F(Samples, DecodedSamplesMatchTheGeneratorsValues) {
  int compared = 0;
  for (const Row& m : manifest_) {
    if (m.at("expected").empty()) continue;
    SCOPED_TRACE(m.at("name"));
    std::vector<std::string> args = {"telemetry"};
    if (!m.at("sidecar").empty()) args.insert(args.end(), {"--sidecar", folder_ + "/" + m.at("sidecar")});
    args.push_back(folder_ + "/" + m.at("name"));
    const ProcessResult r = RunCli(args);
    ASSERT_EQ(r.status, 0) << r.err;
    const CliTable t = ParseCli(r.out);
    if (!m.at("sidecar").empty()) {
      EXPECT_EQ(t.header.at("data_type"), "2");
      EXPECT_EQ(t.header.at("lines"), m.at("sidecar_lines"));
    }
    const std::vector<Row> want = ReadTable(folder_ + "/" + m.at("expected"));
    ASSERT_EQ(t.rows.size(), std::min<size_t>(want.size(), 900));
    for (size_t i = 0; i < t.rows.size(); ++i) {
      const Row& got = t.rows[i];
      const Row& exp = want[i];
      SCOPED_TRACE("sample " + std::to_string(i));
      EXPECT_EQ(got.at("index"), exp.at("index"));
      EXPECT_EQ(got.at("date_time"), exp.at("time"));
      EXPECT_EQ(got.at("fix"), exp.at("fix"));
      EXPECT_NEAR(std::stod(got.at("latitude")), std::stod(exp.at("lat")), 1e-7);
      EXPECT_NEAR(std::stod(got.at("longitude")), std::stod(exp.at("lon")), 1e-7);
      // No speed: the field is empty, as the generator writes it.
      if (exp.at("speed_kmh").empty())
        EXPECT_EQ(got.at("speed_kmh"), "");
      else
        EXPECT_NEAR(std::stod(got.at("speed_kmh")), std::stod(exp.at("speed_kmh")), 1e-4);
      EXPECT_NEAR(std::stod(got.at("g")), std::stod(exp.at("g")), 1e-4);
      EXPECT_EQ(got.at("g_text"), exp.at("g_text"));
      if (testing::Test::HasFailure()) return;  // one broken sample is enough to report
    }
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

TEST_F(Samples, GpxOfTheWholeFolderReadsBack) {
  if (!HaveProgram("gpsbabel")) GTEST_SKIP() << "gpsbabel is not installed";
  std::vector<std::string> args = {"gpx"};
  for (const Row& m : manifest_) args.push_back(folder_ + "/" + m.at("name"));
  const ProcessResult r = RunCli(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string path = testing::TempDir() + "/korvane-samples.gpx";
  std::ofstream(path) << r.out;
  const ProcessResult back = RunProcess({"gpsbabel", "-t", "-i", "gpx", "-f", path, "-o", "unicsv", "-F", "-"});
  EXPECT_EQ(back.status, 0) << back.err;
  size_t trk = 0;
  for (size_t at = r.out.find("<trk>"); at != std::string::npos; at = r.out.find("<trk>", at + 1)) ++trk;
  EXPECT_EQ(trk, manifest_.size());
  std::filesystem::remove(path);
}

}  // namespace
}  // namespace korvane::test
