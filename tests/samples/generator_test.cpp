// The generator's own formats (NMEA fields, "$" lines, clock texts), the simulated drive, and the
// benchmark mode run as a real process into a temporary folder.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "csv_table.h"
#include "tools/make_samples/clock.h"
#include "tools/make_samples/drive.h"
#include "tools/make_samples/telemetry.h"

namespace fs = std::filesystem;
using namespace korvane::samples;

namespace {

TEST(SampleFormats, NmeaFields) {
  EXPECT_EQ(NmeaChecksum("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W"), "6A");
  EXPECT_EQ(NmeaLatitude(35.6520575), "3539.12345");
  EXPECT_EQ(NmeaLongitude(139.7520575), "13945.12345");
  EXPECT_EQ(NmeaLatitude(35.999999999), "3600.00000");  // minutes rounding up to 60
  EXPECT_EQ(NmeaLongitude(9.5), "00930.00000");
  EXPECT_DOUBLE_EQ(DecodeCoordinate("3539.12345"), 35 + 39.12345 / 60.0);
  EXPECT_EQ(DecodeCoordinate("0000.00000"), 0.0);
  EXPECT_EQ(DecodeCoordinate("12.5"), 0.0);  // shorter than 9: no value
}

TEST(SampleFormats, GPairsRepeatWithDollarAndClamp) {
  const double rising[10] = {0.10, 0.20, 0.20, 0.20, 0.20, 0.20, 0.20, 0.20, 0.20, 0.20};
  EXPECT_EQ(GHexPairs(rising), "0A14$$$$$$$$$$$$$$$$");
  const double mixed[10] = {3.0, 0.0, 0.004, 0.02, 1.0, 2.55, 2.56, 0.5, 0.5, 0.51};
  EXPECT_EQ(GHexPairs(mixed), "FF00$$0264FF$$32$$33");
}

TEST(SampleFormats, ClockTexts) {
  const int64_t t = ToSeconds(Civil{2025, 6, 14, 8, 5, 9});
  EXPECT_EQ(Stamp14(t), "20250614080509");
  EXPECT_EQ(SlashDateTime(t), "2025/06/14 08:05:09");
  EXPECT_EQ(Yymmdd(t), "250614");
  EXPECT_EQ(Ddmmyy(t), "140625");
  EXPECT_EQ(Hhmmss(t), "080509");
  EXPECT_EQ(Stamp14(ToSeconds(Civil{2024, 2, 29, 23, 59, 59}) + 1), "20240301000000");
  EXPECT_EQ(Stamp14(ToSeconds(Civil{2025, 12, 31, 23, 59, 59}) + 1), "20260101000000");
}

TEST(SampleFormats, LinesAreTakenByTheDecoderRules) {
  const auto drive = SimulateDrive();
  const int64_t clock = ToSeconds(Civil{2025, 6, 14, 8, 0, 0});
  const Telemetry sub = BuildSubtitle(drive, 0, 20, clock);
  ASSERT_EQ(sub.lines.size(), 200u);
  ASSERT_EQ(sub.expected.size(), 200u);
  for (size_t i = 0; i < sub.lines.size(); ++i) {
    const std::string& line = sub.lines[i];
    SCOPED_TRACE(line);
    EXPECT_LT(line.size() + 2, 260u);  // a text sample with its length word fits the reader's buffer
    const auto g = line.find("G:");
    ASSERT_NE(g, std::string::npos);
    EXPECT_EQ(line.substr(g, 8), sub.expected[i].gText);
    EXPECT_EQ(line.substr(line.find("Time:") + 5), sub.expected[i].dateTime);
    if (sub.expected[i].fix) {
      EXPECT_GE(g - 2, 60u);  // long enough to be parsed
    }
    EXPECT_EQ(line.rfind("$GPRMC,", 0), 0u);
  }
  const Telemetry dollar = BuildDollar(drive, 2400, 20, clock + 240);
  ASSERT_EQ(dollar.lines.size(), 20u);
  ASSERT_EQ(dollar.expected.size(), 200u);
  for (const auto& line : dollar.lines) {
    EXPECT_GE(line.size(), 30u);
    EXPECT_EQ(line[0], '$');
    EXPECT_EQ(line.substr(1, 14), "250614,0804" + line.substr(12, 2) + ",");
  }
  const std::string gps = GpsComment(dollar.lines);
  EXPECT_EQ(gps.substr(0, 3), "GPS");
  EXPECT_EQ(gps.substr(8), DollarComment(dollar.lines));
  std::string tenfold;
  for (const char* line : {"$a\n", "$b\n"})
    for (int k = 0; k < 10; ++k) tenfold += line;
  EXPECT_EQ(SidecarText({"$a", "$b"}), tenfold);
}

TEST(SampleDrive, StaysWithinBelievableLimits) {
  const auto drive = SimulateDrive();
  ASSERT_EQ(drive.size(), size_t(DriveLength() * 10));
  double maxSpeed = 0, maxBrake = 0, maxLateral = 0;
  int noFix = 0;
  for (const auto& p : drive) {
    maxSpeed = std::max(maxSpeed, p.speedKmh);
    maxBrake = std::max(maxBrake, -p.gLong);
    maxLateral = std::max(maxLateral, std::abs(p.gLat));
    noFix += p.fix ? 0 : 1;
    EXPECT_GE(p.speedKmh, 0.0);
  }
  EXPECT_GT(maxSpeed, 98.0);
  EXPECT_LT(maxSpeed, 102.0);
  EXPECT_GT(maxBrake, 0.5);
  EXPECT_LT(maxBrake, 1.0);
  EXPECT_GT(maxLateral, 0.2);
  EXPECT_LT(maxLateral, 0.6);
  EXPECT_GT(noFix, 100);
  EXPECT_EQ(drive.front().speedKmh, 0.0);
  EXPECT_EQ(drive.back().speedKmh, 0.0);
}

struct ToolRun {
  int exitCode = -1;
  std::string output;
};

ToolRun MakeSamples(const QStringList& args) {
  QProcess p;
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(KORVANE_MAKE_SAMPLES, args);
  ToolRun r;
  if (!p.waitForFinished(240000)) {
    p.kill();
    p.waitForFinished();
    return r;
  }
  r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  r.output = p.readAll().toStdString();
  return r;
}

TEST(MakeSamples, BenchmarkFolderIsMadeOnceAndRepairedWhenIncomplete) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const std::string folder = (tmp.path() + "/bench card").toStdString();  // a blank in the path
  const ToolRun first = MakeSamples({"--count", "3", "--events", "1", QString::fromStdString(folder)});
  ASSERT_EQ(first.exitCode, 0) << first.output;
  korvane::samples::test::CsvTable manifest;
  ASSERT_TRUE(korvane::samples::test::ReadCsv(folder + "/expected/manifest.csv", manifest));
  ASSERT_EQ(manifest.rows.size(), 4u);
  EXPECT_EQ(manifest.rows[0].at("name"), "20250614080000.MP4");
  EXPECT_EQ(manifest.rows[2].at("name"), "20250614080200.MP4");
  EXPECT_EQ(manifest.rows[3].at("name"), "G20250614080030.MP4");
  for (const auto& row : manifest.rows) {
    EXPECT_EQ(std::to_string(fs::file_size(folder + "/" + row.at("name"))), row.at("bytes"));
    EXPECT_EQ(row.at("telemetry"), "dollar");
  }
  const auto written = fs::last_write_time(folder + "/20250614080100.MP4");

  const ToolRun second = MakeSamples({"--count", "3", "--events", "1", QString::fromStdString(folder)});
  ASSERT_EQ(second.exitCode, 0) << second.output;
  EXPECT_NE(second.output.find("up to date"), std::string::npos) << second.output;
  EXPECT_EQ(fs::last_write_time(folder + "/20250614080100.MP4"), written);

  fs::remove(folder + "/20250614080200.MP4");
  const ToolRun third = MakeSamples({"--count", "3", "--events", "1", QString::fromStdString(folder)});
  ASSERT_EQ(third.exitCode, 0) << third.output;
  EXPECT_EQ(third.output.find("up to date"), std::string::npos);
  EXPECT_TRUE(fs::is_regular_file(folder + "/20250614080200.MP4"));

  // Other options make another folder: the old recordings go, files of others stay.
  std::ofstream(folder + "/notes.txt") << "mine";
  const ToolRun fewer = MakeSamples({"--count", "2", QString::fromStdString(folder)});
  ASSERT_EQ(fewer.exitCode, 0) << fewer.output;
  EXPECT_FALSE(fs::exists(folder + "/G20250614080030.MP4"));
  EXPECT_FALSE(fs::exists(folder + "/20250614080200.MP4"));
  EXPECT_TRUE(fs::exists(folder + "/20250614080100.MP4"));
  EXPECT_TRUE(fs::exists(folder + "/notes.txt"));
}

TEST(MakeSamples, RejectsBadArguments) {
  EXPECT_EQ(MakeSamples({}).exitCode, 2);
  EXPECT_EQ(MakeSamples({"--count", "0", "/tmp/x"}).exitCode, 2);
  EXPECT_EQ(MakeSamples({"--count", "abc", "/tmp/x"}).exitCode, 2);
  EXPECT_EQ(MakeSamples({"--long", "--count", "3", "/tmp/x"}).exitCode, 2);
  EXPECT_EQ(MakeSamples({"--frobnicate", "/tmp/x"}).exitCode, 2);
}

TEST(MakeSamples, UnwritableFolderFailsWithAMessage) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const std::string file = (tmp.path() + "/plain file").toStdString();
  std::ofstream(file) << "x";
  const ToolRun r = MakeSamples({"--count", "1", QString::fromStdString(file + "/sub")});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.output.find("make_samples:"), std::string::npos) << r.output;
}

}  // namespace
