// Decoding of subtitle and "$" lines into samples and tracks.
#include <gtest/gtest.h>

#include <cmath>

#include "fixtures.h"
#include "mp4parse/telemetry_decode.h"
#include "mp4parse/text_fields.h"

namespace korvane::test {
namespace {

const std::string kRmc = "$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,10.0,90.0,170921,,,A*7C";

// A subtitle line: the sentence, then the G part and the time.
std::string Subtitle(const std::string& rmc, const std::string& g = "G: 0.120",
                     const std::string& time = "Time:2021/09/17 05:00:45") {
  return rmc + "  " + g + " " + time;
}

struct SubtitleCase {
  const char* name;
  std::string line;
  bool taken;
  uint8_t fix;
  double lat, lon, speed, g;
  std::string gText, dateTime;
  bool setsGpsSeen;
};

class SubtitleLineTable : public testing::TestWithParam<SubtitleCase> {};

TEST_P(SubtitleLineTable, Decodes) {
  const SubtitleCase& c = GetParam();
  TelemetrySample s;
  bool seen = false;
  EXPECT_EQ(ParseSubtitleLine(c.line, s, seen), c.taken);
  EXPECT_EQ(s.fixValid, c.fix);
  EXPECT_NEAR(s.latitude, c.lat, 1e-9);
  EXPECT_NEAR(s.longitude, c.lon, 1e-9);
  EXPECT_NEAR(s.speedKmh, c.speed, 1e-9);
  EXPECT_NEAR(s.gForce, c.g, 1e-9);
  EXPECT_EQ(s.gText, c.gText);
  EXPECT_EQ(s.dateTime, c.dateTime);
  EXPECT_EQ(seen, c.setsGpsSeen);
}

const double kLat = 35.6520575, kLon = 139.7520575;

INSTANTIATE_TEST_SUITE_P(
    Cases, SubtitleLineTable,
    testing::Values(
        SubtitleCase{"full", Subtitle(kRmc), true, 1, kLat, kLon, 18.52, 0.12, "G: 0.120", "2021/09/17 05:00:45", true},
        SubtitleCase{"status_v",
                     Subtitle("$GPRMC,050045.00,V,3539.12345,N,13945.12345,E,10.0,90.0,170921,,,N*7C"), true, 0,
                     0, 0, 998.0, 0.12, "G: 0.120", "2021/09/17 05:00:45", false},
        SubtitleCase{"empty_speed_takes_course",
                     Subtitle("$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,,90.0,170921,,,A*7C"), true, 1,
                     kLat, kLon, 90.0 * 1.852, 0.12, "G: 0.120", "2021/09/17 05:00:45", true},
        SubtitleCase{"speed_9999",
                     Subtitle("$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,9999.0,90.0,170921,,,A*7C"), true,
                     1, kLat, kLon, 0.0, 0.12, "G: 0.120", "2021/09/17 05:00:45", true},
        SubtitleCase{"no_speed_field", Subtitle("$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,,,,,,,,,,,,,,,,,,,,"),
                     true, 1, kLat, kLon, 998.0, 0.12, "G: 0.120", "2021/09/17 05:00:45", true},
        SubtitleCase{"short_line", "$GPRMC,1,A,3539.12345,N", false, 0, 0, 0, 998.0, 0, "", "", false},
        SubtitleCase{"rest_under_60", "$GPRMC,050045.00,A,3539.12345,N,13945.12345,E  G: 0.120 Time:2021/09/17 05:00:45",
                     false, 0, 0, 0, 998.0, 0.12, "G: 0.120", "2021/09/17 05:00:45", false},
        SubtitleCase{"g_part_too_short", Subtitle(kRmc, "", "Time:2021/09/17 05:00:45 G:0.5"), true, 1, kLat, kLon,
                     18.52, 0, "", "2021/09/17 05:00:45 G", true},
        SubtitleCase{"time_too_short", Subtitle(kRmc, "G: 0.120", "Time:2021/09/17"), true, 1, kLat, kLon, 18.52,
                     0.12, "G: 0.120", "", true},
        SubtitleCase{"missing_longitude",
                     std::string("$GPRMC,050045.00,A,3539.12345,N") + std::string(40, ' ') + "  G: 0.120", false, 1,
                     kLat, 0, 998.0, 0.12, "G: 0.120", "", false},
        SubtitleCase{"wrong_sentence", Subtitle("$GPRMCX,050045.00,A,3539.12345,N,13945.12345,E,10.0,90.0,170921,,,A"),
                     false, 0, 0, 0, 998.0, 0.12, "G: 0.120", "2021/09/17 05:00:45", false},
        SubtitleCase{"short_coordinates", Subtitle("$GPRMC,050045.00,A,3539.123,N,1945.123,E,10.0,90.0,170921,,,,,,,,,A"),
                     true, 1, 0, 0, 18.52, 0.12, "G: 0.120", "2021/09/17 05:00:45", true},
        // Values no sample can hold: the speed is no speed, the G value 0, the position no fix.
        SubtitleCase{"speed_beyond_double",
                     Subtitle("$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,1e999,90.0,170921,,,A*7C"), true, 1,
                     kLat, kLon, 998.0, 0.12, "G: 0.120", "2021/09/17 05:00:45", true},
        SubtitleCase{"speed_becomes_infinite_in_kmh",
                     Subtitle("$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,1e308,90.0,170921,,,A*7C"), true, 1,
                     kLat, kLon, 998.0, 0.12, "G: 0.120", "2021/09/17 05:00:45", true},
        SubtitleCase{"speed_at_the_no_speed_mark",
                     Subtitle("$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,540,90.0,170921,,,A*7C"), true, 1,
                     kLat, kLon, 998.0, 0.12, "G: 0.120", "2021/09/17 05:00:45", true},
        SubtitleCase{"negative_speed",
                     Subtitle("$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,-10,90.0,170921,,,A*7C"), true, 1,
                     kLat, kLon, 998.0, 0.12, "G: 0.120", "2021/09/17 05:00:45", true},
        SubtitleCase{"g_beyond_double", Subtitle(kRmc, "G:9e9999", "Time:2021/09/17 05:00:45"), true, 1, kLat, kLon,
                     18.52, 0, "G:9e9999", "2021/09/17 05:00:45", true},
        SubtitleCase{"latitude_out_of_range",
                     Subtitle("$GPRMC,050045.00,A,9e30700.00000,N,13945.12345,E,10.0,90.0,170921,,,A*7C"), true, 0,
                     0, 0, 18.52, 0.12, "G: 0.120", "2021/09/17 05:00:45", true},
        SubtitleCase{"longitude_beyond_double",
                     Subtitle("$GPRMC,050045.00,A,3539.12345,N,1e99900.00000,E,10.0,90.0,170921,,,A*7C"), true, 0,
                     0, 0, 18.52, 0.12, "G: 0.120", "2021/09/17 05:00:45", true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SubtitleLine, LooksAtNoMoreThan519Characters) {
  // "G:" beyond character 519 is not seen.
  const std::string line = kRmc + std::string(519 - kRmc.size(), ' ') + "G: 0.500";
  TelemetrySample s;
  bool seen = false;
  EXPECT_TRUE(ParseSubtitleLine(line, s, seen));
  EXPECT_EQ(s.gText, "");
  EXPECT_EQ(s.gForce, 0.0);
}

struct DollarCase {
  const char* name;
  std::string line;
  bool taken;
  uint8_t fix;
  double lat, lon, speed;
  std::string dateTime;
  std::vector<float> g;  // the ten values after the line
};

class DollarLineTable : public testing::TestWithParam<DollarCase> {};

TEST_P(DollarLineTable, Decodes) {
  const DollarCase& c = GetParam();
  TelemetrySample s;
  GValues g{};
  g.fill(0.77f);  // what the previous line left
  bool seen = false;
  EXPECT_EQ(ParseDollarLine(c.line, s, g, seen), c.taken);
  EXPECT_EQ(s.fixValid, c.fix);
  EXPECT_NEAR(s.latitude, c.lat, 1e-9);
  EXPECT_NEAR(s.longitude, c.lon, 1e-9);
  EXPECT_NEAR(s.speedKmh, c.speed, 1e-9);
  EXPECT_EQ(s.dateTime, c.dateTime);
  for (size_t k = 0; k < 10; ++k) EXPECT_FLOAT_EQ(g[k], c.g[k]) << "entry " << k;
  EXPECT_EQ(seen, c.taken);
}

std::vector<float> Ten(std::initializer_list<float> head) {
  std::vector<float> v(head);
  while (v.size() < 10) v.push_back(v.back());
  return v;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DollarLineTable,
    testing::Values(
        DollarCase{"pairs_0A14", "$210917,050045,0A14,A,3539.12345,13945.12345,100", true, 1, kLat, kLon, 18.52,
                   "2021/09/17 05:00:45", Ten({0.10f, 0.20f})},
        DollarCase{"repeat_marks", "$210917,050045,05$$,A,3539.12345,13945.12345,100", true, 1, kLat, kLon, 18.52,
                   "2021/09/17 05:00:45", Ten({0.05f})},
        DollarCase{"ff", "$210917,050045,FF,A,3539.12345,13945.12345,100", true, 1, kLat, kLon, 18.52,
                   "2021/09/17 05:00:45", Ten({2.55f})},
        DollarCase{"lower_case_and_odd", "$210917,050045,0a0b0c0d0e0f101112131415F,A,3539.12345,13945.12345,5", true, 1,
                   kLat, kLon, 5 * 0.1 * 1.852, "2021/09/17 05:00:45",
                   {0.10f, 0.11f, 0.12f, 0.13f, 0.14f, 0.15f, 0.16f, 0.17f, 0.18f, 0.19f}},
        DollarCase{"first_pair_repeat_keeps", "$210917,050045,$$01,A,3539.12345,13945.12345,100", true, 1, kLat, kLon,
                   18.52, "2021/09/17 05:00:45", Ten({0.77f, 0.01f})},
        DollarCase{"speed_9999", "$210917,050045,0A14,V,0000.00000,00000.00000,9999", true, 0, 0, 0, 0.0,
                   "2021/09/17 05:00:45", Ten({0.10f, 0.20f})},
        DollarCase{"no_speed", "$210917,050045,0A14,A,3539.12345,13945.12345", true, 1, kLat, kLon, 998.0,
                   "2021/09/17 05:00:45", Ten({0.10f, 0.20f})},
        DollarCase{"g_field_too_short", "$210917,050045,0,A,3539.12345,13945.12345,100", false, 0, 0, 0, 998.0,
                   "2021/09/17 05:00:45", Ten({0.77f})},
        DollarCase{"missing_longitude", "$210917,050045,0A14,A,3539.12345,,,,,,,,,,,,", false, 1, kLat, 0, 998.0,
                   "2021/09/17 05:00:45", Ten({0.10f, 0.20f})},
        DollarCase{"short_line", "$210917,050045,0A14,A", false, 0, 0, 0, 998.0, "", Ten({0.77f})},
        DollarCase{"speed_beyond_double", "$210917,050045,0A14,A,3539.12345,13945.12345,1e999", true, 1, kLat, kLon,
                   998.0, "2021/09/17 05:00:45", Ten({0.10f, 0.20f})},
        DollarCase{"position_out_of_range", "$210917,050045,0A14,A,9e30700.00000,13945.12345,100", true, 0, 0, 0,
                   18.52, "2021/09/17 05:00:45", Ten({0.10f, 0.20f})},
        DollarCase{"no_dollar", "210917,050045,0A14,A,3539.12345,13945.12345,100", false, 0, 0, 0, 998.0, "",
                   Ten({0.77f})}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DollarLine, NonHexadecimalPairRaises) {
  TelemetrySample s;
  GValues g{};
  bool seen = false;
  try {
    ParseDollarLine("$210917,050045,0AZZ,A,3539.12345,13945.12345,100", s, g, seen);
    FAIL() << "no exception";
  } catch (const TelemetryConversionError& e) {
    EXPECT_EQ(e.Pair(), "ZZ");
  }
}

TEST(Fields, NumbersAndSplitting) {
  using namespace fields;
  EXPECT_EQ(SplitFields(",a,,b,,,c,"), (std::vector<std::string_view>{"a", "b", "c"}));
  EXPECT_DOUBLE_EQ(ReadNumber("  -12.5e1xyz"), -125.0);
  EXPECT_DOUBLE_EQ(ReadNumber("+.5"), 0.5);
  EXPECT_DOUBLE_EQ(ReadNumber("7e"), 7.0);
  EXPECT_DOUBLE_EQ(ReadNumber("abc"), 0.0);
  EXPECT_DOUBLE_EQ(ReadNumber("inf"), 0.0);
  EXPECT_DOUBLE_EQ(ReadNumber("0x10"), 0.0);
  EXPECT_TRUE(std::isinf(ReadNumber("1e999")));
  EXPECT_EQ(ReadLeadingInteger(" 9999.5"), 9999);
  EXPECT_DOUBLE_EQ(ReadCoordinate("3539.12345"), 35.6520575);
  EXPECT_DOUBLE_EQ(ReadCoordinate("13945.12345"), 139.7520575);
  EXPECT_DOUBLE_EQ(ReadCoordinate("39.12345"), 0.0);
  EXPECT_EQ(FormatFixed(2.5499999523162842, 2), "2.55");
}

// ---- whole tracks ----

TEST(DecodeDollarLines, SixtyOneLinesFillSeventySamples) {
  std::vector<std::string> lines;
  for (int s = 0; s < 61; ++s) lines.push_back(DollarLine(s));
  TelemetryTrack t;
  bool seen = false;
  EXPECT_EQ(DecodeDollarLines(lines, t, seen), 61);
  EXPECT_EQ(t.sampleCount, 61);
  EXPECT_TRUE(seen);
  // Lines 0, 10, ... 60 are read: seven lines, each filling ten samples.
  EXPECT_EQ(t.validCount, 7);
  EXPECT_EQ(t.samples[69].dateTime, "2021/09/17 05:01:00");
  EXPECT_EQ(t.samples[70].dateTime, "");
  EXPECT_FLOAT_EQ(static_cast<float>(t.samples[0].gForce), 0.10f);
  EXPECT_FLOAT_EQ(static_cast<float>(t.samples[1].gForce), 0.20f);
  EXPECT_EQ(t.samples[0].gText, "G:0.10");
  EXPECT_EQ(t.samples[9].gText, "G:0.20");
  EXPECT_NEAR(t.maxSpeed, 600 * 0.1 * 1.852, 1e-9);
  EXPECT_FLOAT_EQ(static_cast<float>(t.maxG), 0.20f);
}

TEST(DecodeDollarLines, StatusVWithSpeedZeroGivesDefaultMaximum) {
  const std::vector<std::string> lines(20, "$210917,050045,0A14,V,0000.00000,00000.00000,9999");
  TelemetryTrack t;
  bool seen = false;
  DecodeDollarLines(lines, t, seen);
  EXPECT_EQ(t.validCount, 0);
  EXPECT_EQ(t.speedCount, 0);
  EXPECT_EQ(t.maxSpeed, 180.0);
  const std::vector<std::string> moving(20, "$210917,050045,0A14,V,0000.00000,00000.00000,55");
  DecodeDollarLines(moving, t, seen);
  EXPECT_NEAR(t.maxSpeed, 55 * 0.1 * 1.852, 1e-9);
  EXPECT_EQ(t.speedCount, 1);  // counted when it raised the maximum
}

TEST(DecodeDollarLines, GValuesCarryOverAndErrorsKeepWhatWasFilled) {
  std::vector<std::string> lines = {"$210917,050045,FF,A,3539.12345,13945.12345,100"};
  for (int k = 1; k < 10; ++k) lines.push_back(lines[0]);
  lines.push_back("$210917,050046,X,A,3539.12345,13945.12345,100");  // G field too short
  for (int k = 1; k < 10; ++k) lines.push_back(lines[10]);
  lines.push_back("$210917,050047,0AQ1,A,3539.12345,13945.12345,100");
  TelemetryTrack t;
  bool seen = false;
  EXPECT_THROW(DecodeDollarLines(lines, t, seen), TelemetryConversionError);
  EXPECT_FLOAT_EQ(static_cast<float>(t.samples[15].gForce), 2.55f);  // carried over
  EXPECT_EQ(t.samples[15].dateTime, "2021/09/17 05:00:46");
  EXPECT_EQ(t.sampleCount, 0);
}

TEST(DecodeDollarLines, NoLines) {
  TelemetryTrack t;
  t.validCount = 5;
  bool seen = false;
  EXPECT_EQ(DecodeDollarLines({}, t, seen), 0);
  EXPECT_EQ(t.validCount, 0);
  EXPECT_EQ(t.maxSpeed, 180.0);
  EXPECT_FALSE(seen);
}

TEST(DecodeSubtitleLines, AllStatusVGivesDefaultMaximum) {
  const std::vector<std::string> lines(
      30, Subtitle("$GPRMC,050045.00,V,,,,,,,170921,,,N*7C" + std::string(30, ' ')));
  TelemetryTrack t;
  bool seen = false;
  EXPECT_EQ(DecodeSubtitleLines(lines, t, seen), 30);
  EXPECT_EQ(t.validCount, 0);
  EXPECT_EQ(t.speedCount, 0);
  EXPECT_EQ(t.maxSpeed, 180.0);
  EXPECT_FALSE(seen);
}

TEST(DecodeSubtitleLines, CountsAndMaxima) {
  std::vector<std::string> lines;
  for (int i = 0; i < 25; ++i) lines.push_back(SubtitleLine(i));
  TelemetryTrack t;
  bool seen = false;
  EXPECT_EQ(DecodeSubtitleLines(lines, t, seen), 25);
  EXPECT_EQ(t.validCount, 25);
  EXPECT_EQ(t.speedCount, 25);
  EXPECT_NEAR(t.maxSpeed, 24 * 1.852, 1e-9);
  EXPECT_NEAR(t.maxG, 0.24, 1e-12);
  EXPECT_EQ(t.samples[24].dateTime, "2021/09/17 05:00:02");
  EXPECT_EQ(t.samples[25].dateTime, "");
}

TEST(DecodeSubtitleLines, NoLinesLeavesTheTrackClear) {
  TelemetryTrack t;
  t.maxSpeed = 50;
  bool seen = false;
  EXPECT_EQ(DecodeSubtitleLines({}, t, seen), 0);
  EXPECT_EQ(t.maxSpeed, 0.0);
}

TEST(Decode, LinesBeyond900AreNotDecoded) {
  std::vector<std::string> sub;
  for (int i = 0; i < 1234; ++i) sub.push_back(SubtitleLine(i));
  TelemetryTrack t;
  bool seen = false;
  EXPECT_EQ(DecodeSubtitleLines(sub, t, seen), 1234);
  EXPECT_EQ(t.sampleCount, 1234);
  EXPECT_EQ(t.validCount, 900);
  std::vector<std::string> dollar;
  for (int i = 0; i < 1234; ++i) dollar.push_back(DollarLine(i / 10));
  EXPECT_EQ(DecodeDollarLines(dollar, t, seen), 1234);
  EXPECT_EQ(t.validCount, 90);
  EXPECT_EQ(t.samples[899].dateTime, "2021/09/17 05:01:29");
}

}  // namespace
}  // namespace korvane::test
