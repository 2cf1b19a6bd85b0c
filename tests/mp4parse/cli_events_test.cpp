// korvane-cli events and telemetry --mph run as real processes on synthetic recordings with
// scripted events.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "fixtures.h"
#include "run_process.h"

namespace korvane::test {
namespace {

// A subtitle line for sample i at a speed in km/h (written in knots, as the camera does) and a G.
std::string Line(int i, double kmh, double g) {
  char buf[220];
  std::snprintf(buf, sizeof buf,
                "$GPRMC,0500%02d.00,A,3539.12345,N,13945.12345,E,%.5f,90.0,170921,,,A*7C  G: %.3f "
                "Time:2021/09/17 05:00:%02d",
                (i / 10) % 60, kmh / 1.852, g, (i / 10) % 60);
  return buf;
}

// Thirty seconds at 60 km/h: a bump of 0.8 G at 5.2 s, a braking of 20 km/h per second from
// 12.0 s (down to 30 km/h) and a slow stop from 20.0 s at 4 km/h per second, which is no event.
std::vector<std::string> ScriptedDrive(int bumpAt = 52) {
  std::vector<std::string> lines;
  for (int i = 0; i < 300; ++i) {
    double v = 60;
    if (i > 120) v = 60 - 20 * std::min(i - 120, 15) / 10.0;
    if (i > 200) v = std::max(0.0, 30 - 4 * (i - 200) / 10.0);
    lines.push_back(Line(i, v, i == bumpAt ? 0.8 : 0.1));
  }
  return lines;
}

class CliEvents : public testing::Test {
 protected:
  std::string Write(const std::string& name, const w::Bytes& data) {
    w::WriteFile(dir_.Path(name), data);
    return dir_.Path(name);
  }
  TempDir dir_;
};

TEST_F(CliEvents, ScriptedEventsOfEachRecordingInTheCameraClock) {
  const std::string event = Write("G20210917050000.MP4", Recording(ScriptedDrive()));
  const std::string normal = Write("20210917050100.MP4", Recording(ScriptedDrive(250)));
  const ProcessResult r = RunCli({"events", event, normal});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.out, "recording,time,kind,value\n" +
                       event + ",2021/09/17 05:00:05.2,g,0.80\n" +
                       event + ",2021/09/17 05:00:10.0,trigger,0.10\n" +
                       event + ",2021/09/17 05:00:12.0,braking,20.0\n" +
                       normal + ",2021/09/17 05:00:12.0,braking,20.0\n" +
                       normal + ",2021/09/17 05:00:25.0,g,0.80\n");
}

TEST_F(CliEvents, ThresholdsFromTheCommandLine) {
  const std::string rec = Write("G20210917050000.MP4", Recording(ScriptedDrive()));
  // The bump is not above 0.8 G; a fall of 20 km/h per second is not above 20; the slow stop
  // is above 3.
  const ProcessResult r = RunCli({"events", "--g", "0.8", "--brake", "3", "--pre-event", "2.5", rec});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "recording,time,kind,value\n" +
                       rec + ",2021/09/17 05:00:02.5,trigger,0.10\n" +
                       rec + ",2021/09/17 05:00:12.0,braking,20.0\n" +
                       rec + ",2021/09/17 05:00:20.0,braking,4.0\n");
}

TEST_F(CliEvents, NoTelemetryPrintsTheHeaderOnly) {
  const ProcessResult r = RunCli({"events", Write("n.MP4", Recording({}))});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "recording,time,kind,value\n");
}

TEST_F(CliEvents, ExitStatuses) {
  const std::string good = Write("g.MP4", Recording(ScriptedDrive()));
  EXPECT_EQ(RunCli({"events", good, dir_.Path("absent.MP4")}).status, 2);
  const std::string garbage = Write("garbage.MP4", w::Text("not an mp4 file at all"));
  EXPECT_EQ(RunCli({"events", garbage}).status, 1);
  EXPECT_EQ(RunCli({"events"}).status, 64);
  EXPECT_EQ(RunCli({"events", "--g", "much", good}).status, 64);
  EXPECT_EQ(RunCli({"events", "--brake", "-1", good}).status, 64);
  EXPECT_EQ(RunCli({"events", "--frobnicate", good}).status, 64);
}

TEST_F(CliEvents, TelemetryInMilesPerHour) {
  const std::string rec = Write("m.MP4", Recording({Line(0, 160.9344, 0.1)}));
  const ProcessResult r = RunCli({"telemetry", "--mph", rec});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("max_speed_mph=100.0000"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("index,fix,latitude,longitude,speed_mph,g,g_text,date_time\n0,1,35.6520575,139.7520575,100.0000,"),
            std::string::npos)
      << r.out;
}

}  // namespace
}  // namespace korvane::test
