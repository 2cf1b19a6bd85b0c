// korvane-cli run as a real process on synthetic recordings.
#include <gtest/gtest.h>

#include <sstream>

#include "fixtures.h"
#include "run_process.h"

namespace korvane::test {
namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string l; std::getline(in, l);) out.push_back(l);
  return out;
}

const char* kColumns = "index,fix,latitude,longitude,speed_kmh,g,g_text,date_time";

class Cli : public testing::Test {
 protected:
  std::string Write(const std::string& name, const w::Bytes& data) {
    w::WriteFile(dir_.Path(name), data);
    return dir_.Path(name);
  }
  TempDir dir_;
};

TEST_F(Cli, SubtitleRecording) {
  std::vector<std::string> text;
  for (int i = 0; i < 25; ++i) text.push_back(SubtitleLine(i));
  const ProcessResult r = RunCli({"telemetry", Write("sub.MP4", Recording(text))});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  const auto out = Lines(r.out);
  ASSERT_EQ(out.size(), 2u + 25u);
  EXPECT_EQ(out[0], "# data_type=1 lines=25 samples=25 valid=25 speeds=25 max_speed=44.4480 max_g=0.2400");
  EXPECT_EQ(out[1], kColumns);
  EXPECT_EQ(out[2], "0,1,35.6520575,139.7520575,0.0000,0.0000,G: 0.000,2021/09/17 05:00:00");
  EXPECT_EQ(out[26], "24,1,35.6520575,139.7520575,44.4480,0.2400,G: 0.240,2021/09/17 05:00:02");
}

TEST_F(Cli, DollarCommentRecording) {
  const std::string rec = Write("d.MP4", Recording({}, {w::CommentUdta(JoinLines({DollarLine(0), DollarLine(1)}))}));
  const ProcessResult r = RunCli({"telemetry", rec});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = Lines(r.out);
  ASSERT_EQ(out.size(), 2u + 20u);
  EXPECT_EQ(out[0], "# data_type=3 lines=20 samples=20 valid=2 speeds=1 max_speed=1.8520 max_g=0.2000");
  EXPECT_EQ(out[2], "0,1,35.6520575,139.7520575,0.0000,0.1000,G:0.10,2021/09/17 05:00:00");
  EXPECT_EQ(out[3], "1,1,35.6520575,139.7520575,0.0000,0.2000,G:0.20,2021/09/17 05:00:00");
  EXPECT_EQ(out[21], "19,1,35.6520575,139.7520575,1.8520,0.2000,G:0.20,2021/09/17 05:00:01");
}

TEST_F(Cli, NoTelemetryPrintsHeaderOnly) {
  const ProcessResult r = RunCli({"telemetry", Write("n.MP4", Recording({}))});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "# data_type=0 lines=0 samples=0 valid=0 speeds=0 max_speed=0.0000 max_g=0.0000\n" +
                       std::string(kColumns) + "\n");
}

struct RowCase {
  const char* name;
  bool sidecar;  // "$" lines in a side-car, else subtitle samples
  int lines;
  size_t rows;
};

class CliRows : public Cli, public testing::WithParamInterface<RowCase> {};

TEST_P(CliRows, RowsFollowTheForm) {
  const RowCase c = GetParam();
  std::vector<std::string> args = {"telemetry"};
  if (c.sidecar) {
    std::vector<std::string> lines;
    for (int i = 0; i < c.lines; ++i) lines.push_back(DollarLine(i / 10));
    args.insert(args.end(), {"--sidecar", Write("r.GPS", w::Text(JoinLines(lines)))});
    args.push_back(Write("r.MP4", Recording({})));
  } else {
    std::vector<std::string> lines;
    for (int i = 0; i < c.lines; ++i) lines.push_back(SubtitleLine(i));
    args.push_back(Write("r.MP4", Recording(lines)));
  }
  const ProcessResult r = RunCli(args);
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = Lines(r.out);
  ASSERT_EQ(out.size(), 2 + c.rows);
  EXPECT_NE(out[0].find(" lines=" + std::to_string(c.lines) + " samples=" + std::to_string(c.lines) + " "),
            std::string::npos)
      << out[0];
  EXPECT_EQ(out[0].rfind(c.sidecar ? "# data_type=2 " : "# data_type=1 ", 0), 0u);
  EXPECT_EQ(out.back().rfind(std::to_string(c.rows - 1) + ",", 0), 0u);
}

INSTANTIATE_TEST_SUITE_P(Cases, CliRows,
                         testing::Values(RowCase{"subtitle_7", false, 7, 7}, RowCase{"subtitle_950", false, 950, 900},
                                         RowCase{"sidecar_61", true, 61, 70}, RowCase{"sidecar_1234", true, 1234, 900},
                                         RowCase{"sidecar_1", true, 1, 10}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Cli, QuotesFieldsWithCommaQuoteOrLineBreak) {
  const std::string rmc = "$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,10.0,90.0,170921,,,A*7C";
  const std::vector<std::string> text = {rmc + "  G:0,\"123 Time:2021,09/17 05:00:45",
                                         rmc + "  G: 0.100 Time:2021/09/17\r05:00:45"};
  const ProcessResult r = RunCli({"telemetry", Write("q.MP4", Recording(text))});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\n0,1,35.6520575,139.7520575,18.5200,0.0000,\"G:0,\"\"123\",\"2021,09/17 05:00:45\"\n"),
            std::string::npos)
      << r.out;
  // A line break from the card is escaped, so the field needs no quotes.
  EXPECT_NE(r.out.find("\n1,1,35.6520575,139.7520575,18.5200,0.1000,G: 0.100,2021/09/17\\r05:00:45\n"),
            std::string::npos)
      << r.out;
}

// Control characters from the card never reach the terminal: an ESC ] 0 ; ... BEL sequence would
// retitle it. They are escaped as the scan listing escapes names.
TEST_F(Cli, ControlCharactersFromTheCardAreEscaped) {
  const std::string rmc = "$GPRMC,050045.00,A,3539.12345,N,13945.12345,E,10.0,90.0,170921,,,A*7C";
  const std::vector<std::string> text = {rmc + "  G:\x1b]0;x Time:2021/09/17 05:00:\x07\x1b[2J",
                                         rmc + "  G: 0.100 Time:2021/09/17 05:00:45"};
  const ProcessResult r = RunCli({"telemetry", Write("c.MP4", Recording(text))});
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char c : r.out) EXPECT_TRUE(c == '\n' || (static_cast<unsigned char>(c) >= 0x20 && c != 0x7f)) << int(c);
  // The G part is its eight characters, the time its 21.
  EXPECT_NE(r.out.find(",G:\\x1B]0;x ,2021/09/17 05:00:\\x07\\x1B[2\n"), std::string::npos) << r.out;
}

// GPX times: the GPS's UTC from $GPRMC with its tenths, or the camera clock with the offset of
// the zone korvane-cli runs in; one point per fix, not one per repeated line.
TEST_F(Cli, GpxTimesAreUtcWithTenthsAndOnePointPerFix) {
  auto rmcAt = [](const char* time, const char* date) {
    return std::string("$GPRMC,") + time + ",A,3539.12345,N,13945.12345,E,10.0,90.0," + date + ",,,A*7C";
  };
  struct Case {
    const char* what;
    std::vector<std::string> text;   // subtitle lines; empty for the "$" form below
    std::vector<std::string> times;  // the <time> of each point
  };
  const Case cases[] = {
      // A camera in Japan: its clock is nine hours ahead of the GPS's UTC, across midnight.
      {"utc across midnight",
       {rmcAt("230001.50", "160921") + "  G: 0.100 Time:2021/09/17 08:00:01",
        rmcAt("230001.60", "160921") + "  G: 0.100 Time:2021/09/17 08:00:01"},
       {"2021-09-16T23:00:01.5Z", "2021-09-16T23:00:01.6Z"}},
      // RMC times without tenths: each sample's tenth is its place in its second.
      {"tenths by place",
       {rmcAt("050001.00", "170921") + "  G: 0.100 Time:2021/09/17 05:00:01",
        rmcAt("050001.00", "170921") + "  G: 0.200 Time:2021/09/17 05:00:01",
        rmcAt("050002.00", "170921") + "  G: 0.300 Time:2021/09/17 05:00:02"},
       {"2021-09-17T05:00:01.0Z", "2021-09-17T05:00:01.1Z", "2021-09-17T05:00:02.0Z"}},
      {"the \"$\" form", {}, {"2021-09-17T05:00:00.0+09:00", "2021-09-17T05:00:01.0+09:00"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string rec = c.text.empty()
                                ? Write("d.MP4", Recording({}, {w::CommentUdta(JoinLines({DollarLine(0), DollarLine(1)}))}))
                                : Write("s.MP4", Recording(c.text));
    const ProcessResult r = RunProcess({"env", "TZ=Asia/Tokyo", KORVANE_CLI, "gpx", rec});
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<std::string> times;
    for (size_t at = r.out.find("<time>"); at != std::string::npos; at = r.out.find("<time>", at + 1))
      times.push_back(r.out.substr(at + 6, r.out.find("</time>", at) - at - 6));
    EXPECT_EQ(times, c.times) << r.out;
  }
}

TEST_F(Cli, ASampleWithoutSpeedLeavesTheSpeedEmpty) {
  const std::string rmcV = "$GPRMC,050045.00,V,,,,,,,170921,,,N*7C" + std::string(30, ' ');
  const ProcessResult r = RunCli({"telemetry", Write("v.MP4", Recording({rmcV + "  G: 0.100 Time:2021/09/17 05:00:45"}))});
  ASSERT_EQ(r.status, 0) << r.err;
  const auto out = Lines(r.out);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[2], "0,0,0.0000000,0.0000000,,0.1000,G: 0.100,2021/09/17 05:00:45");
}

TEST_F(Cli, MissingOrUnopenableFileExitsTwo) {
  for (const std::string& path : {dir_.Path("absent.MP4"), dir_.dir()}) {
    const ProcessResult r = RunCli({"telemetry", path});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("File open error"), std::string::npos) << r.err;
    EXPECT_EQ(Lines(r.err).size(), 1u);
  }
  EXPECT_EQ(RunCli({"gpx", dir_.Path("absent.MP4")}).status, 2);
}

TEST_F(Cli, BadGPairExitsOneNamingThePair) {
  const std::string bad = "$210917,050045,0A\nZ,A,3539.12345,13945.12345,100";  // the LF splits the line
  const std::string bad2 = "$210917,050045,0AZQ,A,3539.12345,13945.12345,100";
  const std::string rec = Write("bad.MP4", Recording({}, {w::CommentUdta(JoinLines({bad2, bad}))}));
  const ProcessResult r = RunCli({"telemetry", rec});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("'ZQ'"), std::string::npos) << r.err;
  EXPECT_EQ(Lines(r.err).size(), 1u);
  EXPECT_EQ(RunCli({"gpx", rec}).status, 1);
}

TEST_F(Cli, WrongArguments) {
  EXPECT_EQ(RunCli({}).status, 64);
  EXPECT_EQ(RunCli({"frobnicate"}).status, 64);
  EXPECT_EQ(RunCli({"telemetry"}).status, 64);
  EXPECT_EQ(RunCli({"telemetry", "a", "b"}).status, 64);
  EXPECT_EQ(RunCli({"gpx"}).status, 64);
  EXPECT_EQ(RunCli({"--help"}).status, 0);
}

TEST_F(Cli, GpxReadsBackWithGpsbabel) {
  if (!HaveProgram("gpsbabel")) GTEST_SKIP() << "gpsbabel is not installed";
  std::vector<std::string> fixed;
  for (int i = 0; i < 12; ++i) fixed.push_back(SubtitleLine(i));
  const std::string rmcV = "$GPRMC,050045.00,V,,,,,,,170921,,,N*7C" + std::string(30, ' ');
  const std::vector<std::string> noFix(5, rmcV + "  G: 0.100 Time:2021/09/17 05:00:45");
  const std::string a = Write("a&b <1>.MP4", Recording(fixed));
  const std::string b = Write("nofix.MP4", Recording(noFix));
  const ProcessResult r = RunCli({"gpx", a, b});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string gpx = Write("out.gpx", w::Text(r.out));
  EXPECT_NE(r.out.find("<name>a&amp;b &lt;1&gt;.MP4</name>"), std::string::npos);
  EXPECT_NE(r.out.find("<name>nofix.MP4</name>"), std::string::npos);
  EXPECT_NE(r.out.find("UTC"), std::string::npos);
  // Sample 10: 10 knots → 5.1444 m/s, at the GPS's UTC time.
  EXPECT_NE(r.out.find("<time>2021-09-17T05:00:01.0Z</time><extensions><gpxtpx:TrackPointExtension>"
                       "<gpxtpx:speed>5.1444</gpxtpx:speed>"),
            std::string::npos);

  const ProcessResult csv = RunProcess({"gpsbabel", "-i", "gpx", "-f", gpx, "-o", "csv", "-F", "-"});
  ASSERT_EQ(csv.status, 0) << csv.err;
  const auto points = Lines(csv.out);
  ASSERT_EQ(points.size(), 12u);
  EXPECT_EQ(points[0], "35.65206, 139.75206, ");

  // Tracks, names and times as a GPX reader sees them.
  const ProcessResult uni = RunProcess({"gpsbabel", "-t", "-i", "gpx", "-f", gpx, "-o", "unicsv", "-F", "-"});
  ASSERT_EQ(uni.status, 0) << uni.err;
  const auto rows = Lines(uni.out);
  ASSERT_EQ(rows.size(), 13u);
  EXPECT_NE(rows[11].find("2021/09/17,05:00:01"), std::string::npos) << rows[11];
}

}  // namespace
}  // namespace korvane::test
