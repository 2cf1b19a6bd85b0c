// korvane-cli tells the truth: exit status and message for every failure naming the right file,
// GPX that is valid UTF-8 with only real positions, and scan listings that cannot be misread.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "fixtures.h"
#include "run_process.h"

namespace korvane::test {
namespace {

// Runs korvane-cli with its standard output on /dev/full.
ProcessResult RunCliIntoFullDevice(const std::vector<std::string>& args) {
  std::vector<std::string> argv = {"/bin/sh", "-c", "exec \"$0\" \"$@\" >/dev/full", KORVANE_CLI};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv);
}

// Creates an empty file whose name is `name`'s bytes, whatever they are.
void Touch(const std::string& folder, const std::string& name) {
  const int fd = ::open((folder + "/" + name).c_str(), O_CREAT | O_WRONLY | O_TRUNC, 0600);
  ASSERT_GE(fd, 0) << name;
  ::close(fd);
}

bool ValidUtf8(const std::string& s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (n == 0 || i + n > s.size()) return false;
    for (size_t k = 1; k < n; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += n;
  }
  return true;
}

class CliTruth : public testing::Test {
 protected:
  std::string Write(const std::string& name, const w::Bytes& data) {
    w::WriteFile(dir_.Path(name), data);
    return dir_.Path(name);
  }
  TempDir dir_;
};

// ---- exit status and messages ----------------------------------------------------------------

struct BadInputCase {
  const char* name;
  w::Bytes data;
  const char* message;  // part of the one-line message
};

class BadInput : public CliTruth, public testing::WithParamInterface<BadInputCase> {};

TEST_P(BadInput, ExitsOneNamingTheRecording) {
  const std::string path = Write("bad.MP4", GetParam().data);
  for (const char* command : {"telemetry", "gpx"}) {
    const ProcessResult r = RunCli({command, path});
    EXPECT_EQ(r.status, 1) << command << ": " << r.err;
    EXPECT_EQ(r.out, "") << command;
    EXPECT_NE(r.err.find(path + ": " + GetParam().message), std::string::npos) << r.err;
  }
}

w::Bytes CutShort() {
  const w::Bytes whole = Recording({SubtitleLine(0), SubtitleLine(1)});
  return w::Bytes(whole.begin(), whole.end() - 100);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadInput,
    testing::Values(BadInputCase{"text", w::Text("this is not a recording at all, just some text\n"),
                                 "not a complete MP4 recording"},
                    BadInputCase{"zeros", w::Bytes(4096, 0), "not an MP4 recording: no movie box"},
                    BadInputCase{"empty", {}, "not an MP4 recording: the file is empty"},
                    BadInputCase{"cut_short", CutShort(), "not a complete MP4 recording"},
                    BadInputCase{"header_cut", w::Cat({w::Ftyp(), w::Zeros(2)}),
                                 "not a complete MP4 recording: a box header"},
                    BadInputCase{"no_moov", w::Cat({w::Ftyp(), w::Box("free", w::Zeros(20))}),
                                 "not an MP4 recording: no movie box"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliTruth, RecordingWithoutTelemetryAndZerosAfterItIsNoError) {
  const w::Bytes plain = Recording({});
  w::Bytes padded = plain;
  w::Append(padded, w::Zeros(5000));  // a last box of size 0 runs to the end of the file
  for (const w::Bytes& data : {plain, padded}) {
    const ProcessResult r = RunCli({"telemetry", Write("plain.MP4", data)});
    EXPECT_EQ(r.status, 0) << r.err;
  }
}

TEST_F(CliTruth, SidecarFailuresNameTheSidecar) {
  const std::string rec = Write("r.MP4", Recording({}));
  ProcessResult r = RunCli({"telemetry", "--sidecar", dir_.Path("absent.GPS"), rec});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(dir_.Path("absent.GPS") + ": File open error (no such side-car file)"), std::string::npos)
      << r.err;
  EXPECT_EQ(r.err.find("r.MP4"), std::string::npos) << r.err;

  ASSERT_EQ(::mkdir(dir_.Path("folder.GPS").c_str(), 0700), 0);
  r = RunCli({"telemetry", "--sidecar", dir_.Path("folder.GPS"), rec});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find(dir_.Path("folder.GPS") + ": File open error"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("r.MP4"), std::string::npos) << r.err;
}

TEST_F(CliTruth, WritingToAFullDeviceFails) {
  const std::string rec = Write("s.MP4", Recording({SubtitleLine(0)}));
  Touch(dir_.dir(), "20230101120000.MP4");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"telemetry", rec}, {"gpx", rec}, {"scan", dir_.dir()}}) {
    const ProcessResult r = RunCliIntoFullDevice(args);
    EXPECT_EQ(r.status, 2) << args[0];
    EXPECT_NE(r.err.find("cannot write the output: No space left on device"), std::string::npos)
        << args[0] << ": " << r.err;
  }
}

TEST_F(CliTruth, ScanOfWhatIsNoFolderFails) {
  const std::string file = Write("file.txt", w::Text("x"));
  for (const std::string& path : {dir_.Path("missing"), file}) {
    const ProcessResult r = RunCli({"scan", path});
    EXPECT_EQ(r.status, 2) << path;
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("cannot list folder"), std::string::npos) << r.err;
  }
}

TEST_F(CliTruth, ScanOfAFolderItCannotReadFails) {
  if (::geteuid() != 0 || !HaveProgram("setpriv")) GTEST_SKIP() << "needs root to run the tool as another user";
  const std::string locked = dir_.Path("locked");
  ASSERT_EQ(::mkdir(locked.c_str(), 0700), 0);
  Touch(locked, "20230101120000.MP4");
  const ProcessResult r =
      RunProcess({"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups", KORVANE_CLI, "scan", locked});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find("cannot list folder"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Permission denied"), std::string::npos) << r.err;
}

// ---- GPX ---------------------------------------------------------------------------------------

std::string RmcLine(const std::string& lat, char ns, const std::string& lon, char ew) {
  return "$GPRMC,050000.00,A," + lat + "," + ns + "," + lon + "," + ew +
         ",5.0,90.0,170921,,,A*7C  G: 0.100 Time:2021/09/17 05:00:00";
}

TEST_F(CliTruth, GpxNameOfBytesThatAreNotUtf8IsRepaired) {
  const std::string rec = Write("bad\xFF\xFE name.MP4", Recording({SubtitleLine(0)}));
  const ProcessResult r = RunCli({"gpx", rec});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(ValidUtf8(r.out));
  EXPECT_NE(r.out.find("<name>bad\xEF\xBF\xBD\xEF\xBF\xBD name.MP4</name>"), std::string::npos) << r.out;
}

struct PointCase {
  const char* name;
  std::string line;
  const char* point;  // the trkpt start expected, or "" for no point
};

class GpxPoint : public CliTruth, public testing::WithParamInterface<PointCase> {};

TEST_P(GpxPoint, IsWrittenWithItsHemisphereOrLeftOut) {
  const ProcessResult r = RunCli({"gpx", Write("p.MP4", Recording({GetParam().line}))});
  ASSERT_EQ(r.status, 0) << r.err;
  if (*GetParam().point) {
    EXPECT_NE(r.out.find(std::string("<trkpt ") + GetParam().point + ">"), std::string::npos) << r.out;
  } else {
    EXPECT_EQ(r.out.find("<trkpt"), std::string::npos) << r.out;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GpxPoint,
    testing::Values(
        PointCase{"north_east", RmcLine("3539.12345", 'N', "13945.12345", 'E'), "lat=\"35.6520575\" lon=\"139.7520575\""},
        PointCase{"south_west", RmcLine("3352.12000", 'S', "15112.60000", 'W'), "lat=\"-33.8686667\" lon=\"-151.2100000\""},
        PointCase{"south_east", RmcLine("3352.12000", 'S', "15112.60000", 'E'), "lat=\"-33.8686667\" lon=\"151.2100000\""},
        PointCase{"latitude_1000", RmcLine("99959.00000", 'N', "13945.12345", 'E'), ""},
        PointCase{"longitude_181", RmcLine("3539.12345", 'N', "18100.00000", 'E'), ""},
        PointCase{"latitude_inf", RmcLine("1e99900.00000", 'N', "13945.12345", 'E'), ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliTruth, DollarFormHasNoHemisphere) {
  const std::string rec = Write("d.MP4", Recording({}, {w::CommentUdta(JoinLines({DollarLine(0)}))}));
  const ProcessResult r = RunCli({"gpx", rec});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("<trkpt lat=\"35.6520575\" lon=\"139.7520575\">"), std::string::npos) << r.out;
}

// ---- scan listings -----------------------------------------------------------------------------

struct NameCase {
  const char* name;
  std::string bytes;    // the file name on disk
  std::string printed;  // as scan lists it
};

class ScanName : public CliTruth, public testing::WithParamInterface<NameCase> {};

TEST_P(ScanName, IsPrintedEscaped) {
  Touch(dir_.dir(), GetParam().bytes);
  const ProcessResult r = RunCli({"scan", dir_.dir()});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "# normal=1 normal_bytes=0 event=0 event_bytes=0 cut=0\nN " + GetParam().printed + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Names, ScanName,
    testing::Values(NameCase{"plain", "20230101120000.MP4", "20230101120000.MP4"},
                    NameCase{"line_feed", "2023010112\n000.MP4", "2023010112\\n000.MP4"},
                    NameCase{"carriage_return_tab", "202301011\r\t000.MP4", "202301011\\r\\t000.MP4"},
                    NameCase{"escape_and_del", "2023010112\x1B\x7F" "00.MP4", "2023010112\\x1B\\x7F00.MP4"},
                    NameCase{"backslash", "2023010112\\000.MP4", "2023010112\\\\000.MP4"},
                    NameCase{"invalid_bytes", "20230101\xFF\xFE" "0000.MP4", "20230101\\xFF\\xFE0000.MP4"},
                    NameCase{"c1_control", "2023010112\xC2\x85" "000.MP4", "2023010112\\xC2\\x85000.MP4"},
                    NameCase{"valid_utf8", "2023010112\xC3\xA9" "000.MP4", "2023010112\xC3\xA9" "000.MP4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliTruth, ScanEntersAFolderWhoseNameIsNotUtf8) {
  const std::string folder = dir_.Path("card\xFF");
  ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
  Touch(folder, "20230101120000.MP4");
  const ProcessResult r = RunCli({"scan", folder});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "# normal=1 normal_bytes=0 event=0 event_bytes=0 cut=0\nN 20230101120000.MP4\n");
}

}  // namespace
}  // namespace korvane::test
