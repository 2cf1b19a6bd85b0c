// Cards of other cameras made by the generator: every form's moments in the right group and
// order (korvane-cli scan, a real process), the freeGPS decoder against exiftool's on the same
// recordings, the NMEA and acceleration side-cars against what the generator wrote, and hostile
// side-cars and block lists that must stay bounded.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "mp4parse/free_gps.h"
#include "mp4parse/load_telemetry.h"
#include "mp4parse/nmea_sidecar.h"
#include "tools/make_samples/other_cards.h"

using namespace korvane;
using namespace korvane::samples;

namespace {

std::string RunProgram(const QString& program, const QStringList& args, int* status = nullptr) {
  QProcess p;
  p.start(program, args);
  if (!p.waitForFinished(60000)) {
    p.kill();
    p.waitForFinished(1000);
  }
  if (status) *status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  return p.readAllStandardOutput().toStdString();
}

// The clips are encoded once for all tests; each test writes its cards into its own folder.
class OtherCards : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    clips_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(clips_->isValid());
    const std::string e = EncodeCardClips(clips_->path().toStdString());
    ASSERT_EQ(e, "");
  }
  static void TearDownTestSuite() { clips_.reset(); }

  std::string Card(int form) {
    EXPECT_TRUE(dir_.isValid());
    const std::string folder = dir_.path().toStdString() + "/form" + std::to_string(form);
    EXPECT_EQ(WriteOtherCard(form, folder, clips_->path().toStdString()), "");
    return folder;
  }

  static std::unique_ptr<QTemporaryDir> clips_;
  QTemporaryDir dir_;
};
std::unique_ptr<QTemporaryDir> OtherCards::clips_;

struct CardCase {
  int form;
  const char* scan;  // the lines korvane-cli scan prints
};

const CardCase kCards[] = {
    {1,
     "# normal=3 normal_bytes=@ event=1 event_bytes=@ cut=0\n"
     "N DCIM/Movie/2023_0101_120000_0001F.MP4\n  start 2023/01/01 12:00:00 mode normal\n"
     "  F DCIM/Movie/2023_0101_120000_0001F.MP4\n  R DCIM/Movie/2023_0101_120001_0001R.MP4\n"
     "N DCIM/Movie/2023_0101_120300_0002F.MP4\n  start 2023/01/01 12:03:00 mode normal\n"
     "  F DCIM/Movie/2023_0101_120300_0002F.MP4\n  R DCIM/Movie/2023_0101_120301_0002R.MP4\n"
     "N DCIM/Movie/2023_0101_121000_0004PF.MP4\n  start 2023/01/01 12:10:00 mode parking\n"
     "  F DCIM/Movie/2023_0101_121000_0004PF.MP4\n  R DCIM/Movie/2023_0101_121000_0004PR.MP4\n"
     "E DCIM/Movie/RO/2023_0101_120600_0003F.MP4\n  start 2023/01/01 12:06:00 mode locked\n"
     "  F DCIM/Movie/RO/2023_0101_120600_0003F.MP4\n"},
    {2,
     "# normal=2 normal_bytes=@ event=2 event_bytes=@ cut=0\n"
     "N 20230101_120000_NF.mp4\n  start 2023/01/01 12:00:00 mode normal\n  F 20230101_120000_NF.mp4\n"
     "  R 20230101_120001_NR.mp4\n  gps 20230101_120000_N.gps\n  g 20230101_120000_N.3gf\n"
     "N 20230101_121000_PF.mp4\n  start 2023/01/01 12:10:00 mode parking\n  F 20230101_121000_PF.mp4\n"
     "E 20230101_120500_EF.mp4\n  start 2023/01/01 12:05:00 mode event\n  F 20230101_120500_EF.mp4\n"
     "  gps 20230101_120500_E.gps\n"
     "E 20230101_121500_MIF.mp4\n  start 2023/01/01 12:15:00 mode manual\n  F 20230101_121500_MIF.mp4\n"},
    {3,
     "# normal=1 normal_bytes=@ event=1 event_bytes=@ cut=0\n"
     "N front_norm/2023_01_01_120000_00_F.MP4\n  start 2023/01/01 12:00:00 mode normal\n"
     "  F front_norm/2023_01_01_120000_00_F.MP4\n  R rear_norm/2023_01_01_120001_00_R.MP4\n"
     "E front_emer/2023_01_01_120500_02_F.MP4\n  start 2023/01/01 12:05:00 mode event\n"
     "  F front_emer/2023_01_01_120500_02_F.MP4\n  R rear_emer/2023_01_01_120500_02_R.MP4\n"},
    {4,
     "# normal=2 normal_bytes=@ event=2 event_bytes=@ cut=0\n"
     "N cont_rec/REC_2023_01_01_12_00_00_F.MP4\n  start 2023/01/01 12:00:00 mode normal\n"
     "  F cont_rec/REC_2023_01_01_12_00_00_F.MP4\n  R cont_rec/REC_2023_01_01_12_00_01_R.MP4\n"
     "N parking_rec/PARK_2023_01_01_12_15_00_F.MP4\n  start 2023/01/01 12:15:00 mode parking\n"
     "  F parking_rec/PARK_2023_01_01_12_15_00_F.MP4\n"
     "E evt_rec/EVT_2023_01_01_12_05_00_F.MP4\n  start 2023/01/01 12:05:00 mode event\n"
     "  F evt_rec/EVT_2023_01_01_12_05_00_F.MP4\n"
     "E manual_rec/MAN_2023_01_01_12_10_00_F.MP4\n  start 2023/01/01 12:10:00 mode manual\n"
     "  F manual_rec/MAN_2023_01_01_12_10_00_F.MP4\n"},
    {5,
     "# normal=2 normal_bytes=@ event=1 event_bytes=@ cut=0\n"
     "N Normal/Front/NO20230101-120000-000001F.MP4\n  start 2023/01/01 12:00:00 mode normal\n"
     "  F Normal/Front/NO20230101-120000-000001F.MP4\n  R Normal/Back/NO20230101-120001-000001B.MP4\n"
     "N Parking/Front/PA20230101-121000-000003F.MP4\n  start 2023/01/01 12:10:00 mode parking\n"
     "  F Parking/Front/PA20230101-121000-000003F.MP4\n"
     "E Event/Front/EV20230101-120500-000002F.MP4\n  start 2023/01/01 12:05:00 mode event\n"
     "  F Event/Front/EV20230101-120500-000002F.MP4\n  R Event/Back/EV20230101-120500-000002B.MP4\n"},
    {6,
     "# normal=1 normal_bytes=@ event=1 event_bytes=@ cut=0\n"
     "N 20230101_120000_0001_N_A.MP4\n  start 2023/01/01 12:00:00 mode normal\n  A 20230101_120000_0001_N_A.MP4\n"
     "  B 20230101_120001_0001_N_B.MP4\n  C 20230101_120000_0001_N_C.MP4\n"
     "E 20230101_120500_0002_E_A.MP4\n  start 2023/01/01 12:05:00 mode event\n  A 20230101_120500_0002_E_A.MP4\n"},
    {7,
     "# normal=1 normal_bytes=@ event=1 event_bytes=@ cut=0\n"
     "N 230101_120000_001_FH.MP4\n  start 2023/01/01 12:00:00 mode normal\n  F 230101_120000_001_FH.MP4\n"
     "  R 230101_120001_001_RH.MP4\n"
     "E EVENT/230101_120500_002_FH.MP4\n  start 2023/01/01 12:05:00 mode event\n  F EVENT/230101_120500_002_FH.MP4\n"},
    {8,
     "# normal=1 normal_bytes=@ event=2 event_bytes=@ cut=0\n"
     "N RecentClips/2023-01-01_12-00-00-front.mp4\n  start 2023/01/01 12:00:00 mode recent\n"
     "  F RecentClips/2023-01-01_12-00-00-front.mp4\n  B RecentClips/2023-01-01_12-00-00-back.mp4\n"
     "  L RecentClips/2023-01-01_12-00-01-left_repeater.mp4\n  R RecentClips/2023-01-01_12-00-01-right_repeater.mp4\n"
     "E SavedClips/2023-01-01_12-10-00/2023-01-01_12-09-00-front.mp4\n  start 2023/01/01 12:09:00 mode saved\n"
     "  F SavedClips/2023-01-01_12-10-00/2023-01-01_12-09-00-front.mp4\n"
     "E SentryClips/2023-01-01_13-00-00/2023-01-01_12-59-00-front.mp4\n  start 2023/01/01 12:59:00 mode sentry\n"
     "  F SentryClips/2023-01-01_13-00-00/2023-01-01_12-59-00-front.mp4\n"
     "  B SentryClips/2023-01-01_13-00-00/2023-01-01_12-59-00-back.mp4\n"},
};

// The byte counts depend on the encoder; they are replaced by "@".
std::string WithoutBytes(std::string s) {
  for (const char* key : {"normal_bytes=", "event_bytes="}) {
    const size_t at = s.find(key);
    if (at == std::string::npos) continue;
    const size_t from = at + std::strlen(key);
    const size_t to = s.find_first_not_of("0123456789", from);
    s.replace(from, to - from, "@");
  }
  return s;
}

}  // namespace

TEST_F(OtherCards, EveryFormsMomentsInTheirGroupsAndOrder) {
  for (const CardCase& c : kCards) {
    SCOPED_TRACE("form " + std::to_string(c.form));
    const std::string folder = Card(c.form);
    int status = -1;
    const std::string out = RunProgram(KORVANE_CLI, {"scan", QString::fromStdString(folder)}, &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(WithoutBytes(out), c.scan);
  }
}

namespace {

struct RefFix {
  double latitude, longitude, speedKmh;
};

// exiftool -ee's fixes of a recording (its reading of the freeGPS blocks).
std::vector<RefFix> ExiftoolFixes(const std::string& path) {
  int status = -1;
  const std::string out = RunProgram(QStringLiteral("exiftool"),
                              {"-ee", "-n", "-q", "-q", "-p", "$GPSLatitude $GPSLongitude $GPSSpeed",
                               QString::fromStdString(path)},
                              &status);
  EXPECT_EQ(status, 0) << path;
  std::vector<RefFix> fixes;
  std::istringstream in(out);
  RefFix f{};
  while (in >> f.latitude >> f.longitude >> f.speedKmh) fixes.push_back(f);
  return fixes;
}

}  // namespace

// Positions within 1e-6 degrees and speeds within 0.1 km/h of exiftool's on every fix, through
// the "gps " box and through the scan, in both hemispheres; the viewer's load gives the same.
TEST_F(OtherCards, FreeGpsAgreesWithExiftool) {
  ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty())
      << "exiftool (libimage-exiftool-perl) is needed as the reference decoder";
  const std::string card = Card(1);
  struct File {
    const char* name;
    bool viaBox;
  };
  double worstPosition = 0, worstSpeed = 0;
  int compared = 0;
  for (const File& f : {File{"DCIM/Movie/2023_0101_120000_0001F.MP4", true},
                        File{"DCIM/Movie/2023_0101_120300_0002F.MP4", false},
                        File{"DCIM/Movie/RO/2023_0101_120600_0003F.MP4", true}}) {
    SCOPED_TRACE(f.name);
    const std::string path = card + "/" + f.name;
    bool viaBox = !f.viaBox;
    const std::vector<GpsFix> fixes = ReadFreeGps(path, &viaBox);
    EXPECT_EQ(viaBox, f.viaBox);
    std::vector<GpsFix> valid;
    for (const GpsFix& x : fixes)
      if (x.valid) valid.push_back(x);
    const std::vector<RefFix> ref = ExiftoolFixes(path);
    const size_t n = kCardClipSeconds;
    ASSERT_EQ(fixes.size(), n);  // the third record has no fix: exiftool leaves it out
    ASSERT_EQ(valid.size(), ref.size());
    ASSERT_EQ(ref.size(), n - 1);
    Mp4Parser parser;
    std::vector<std::string> lines;
    auto track = std::make_unique<TelemetryTrack>();
    bool gpsSeen = false;
    ASSERT_EQ(LoadTelemetry(path, "", parser, lines, *track, gpsSeen), DataTypeFixes);
    EXPECT_TRUE(gpsSeen);
    EXPECT_EQ(track->sampleCount, kCardClipSeconds * 10);
    EXPECT_EQ(lines.size(), n * 10);
    size_t k = 0;
    for (int i = 0; i < track->sampleCount; ++i) {
      const TelemetrySample& s = track->samples[i];
      // Each fix stands for a second: ten samples.
      EXPECT_EQ(s.latitude, track->samples[i / 10 * 10].latitude);
      if (!s.fixValid || i % 10 != 0) continue;
      ASSERT_LT(k, ref.size());
      EXPECT_NEAR(s.latitude, ref[k].latitude, 1e-6) << i;
      EXPECT_NEAR(s.longitude, ref[k].longitude, 1e-6) << i;
      EXPECT_NEAR(s.speedKmh, ref[k].speedKmh, 0.1) << i;
      worstPosition = std::max({worstPosition, std::fabs(s.latitude - ref[k].latitude),
                                std::fabs(s.longitude - ref[k].longitude)});
      worstSpeed = std::max(worstSpeed, std::fabs(s.speedKmh - ref[k].speedKmh));
      ++compared;
      ++k;
    }
    EXPECT_EQ(k, ref.size());
  }
  std::printf("freeGPS vs exiftool: %d fixes, largest position difference %.3g deg, speed %.3g km/h\n", compared,
              worstPosition, worstSpeed);
}

// The integer and double record layouts, as a scan of the media data finds them (exiftool reads
// these only by its scan).
TEST_F(OtherCards, FreeGpsOtherLayoutsAgreeWithExiftool) {
  ASSERT_FALSE(QStandardPaths::findExecutable(QStringLiteral("exiftool")).isEmpty());
  const std::string card = Card(1);
  for (const FreeGpsLayout layout : {FreeGpsLayout::Integers, FreeGpsLayout::Doubles}) {
    SCOPED_TRACE(layout == FreeGpsLayout::Integers ? "integers" : "doubles");
    const std::string path = card + "/DCIM/Movie/2023_0101_121000_0004PF.MP4";  // no blocks yet
    const std::string copy = card + (layout == FreeGpsLayout::Integers ? "/int.MP4" : "/dbl.MP4");
    ASSERT_TRUE(QFile::copy(QString::fromStdString(path), QString::fromStdString(copy)));
    ASSERT_EQ(AddFreeGps(copy, PlanDrive(10, 6, -12.046374, -77.042793), false, layout), "");
    const std::vector<GpsFix> fixes = ReadFreeGps(copy);
    const std::vector<RefFix> ref = ExiftoolFixes(copy);
    ASSERT_EQ(fixes.size(), 6u);
    ASSERT_EQ(ref.size(), 5u);
    size_t k = 0;
    for (const GpsFix& f : fixes) {
      if (!f.valid) continue;
      EXPECT_NEAR(f.latitude, ref[k].latitude, 1e-6) << k;
      EXPECT_NEAR(f.longitude, ref[k].longitude, 1e-6) << k;
      EXPECT_NEAR(f.speedKmh, ref[k].speedKmh, 0.1) << k;
      EXPECT_LT(f.latitude, 0);
      EXPECT_LT(f.longitude, 0);
      ++k;
    }
  }
}

// The NMEA side-cars (prefixed GP sentences in the west, plain GN ones in the south) give the
// generator's drive, and the .3gf records beside the first one its G trace.
TEST_F(OtherCards, NmeaSidecarsAndAccelerationRecords) {
  const std::string card = Card(2);
  struct Side {
    const char* recording;
    const char* sidecar;
    int minute;
    double latitude, longitude;
    bool g;
  };
  for (const Side& side : {Side{"20230101_120000_NF.mp4", "20230101_120000_N.gps", 0, 40.712776, -74.005974, true},
                           Side{"20230101_120500_EF.mp4", "20230101_120500_E.gps", 5, -33.868820, 151.209290, false}}) {
    SCOPED_TRACE(side.sidecar);
    const std::vector<FixPlan> plan = PlanDrive(side.minute, kCardClipSeconds, side.latitude, side.longitude);
    Mp4Parser parser;
    std::vector<std::string> lines;
    auto track = std::make_unique<TelemetryTrack>();
    bool gpsSeen = false;
    ASSERT_EQ(LoadTelemetry(card + "/" + side.recording, card + "/" + side.sidecar, parser, lines, *track, gpsSeen),
              DataTypeFixes);
    ASSERT_EQ(track->sampleCount, kCardClipSeconds * 10);
    EXPECT_EQ(track->validCount, kCardClipSeconds - 1);
    for (int i = 0; i < kCardClipSeconds; ++i) {
      const TelemetrySample& s = track->samples[i * 10 + 9];
      EXPECT_EQ(s.fixValid, plan[i].valid ? 1 : 0) << i;
      char expectTime[32];
      std::snprintf(expectTime, sizeof expectTime, "2023/01/01 12:%02d:%02d", side.minute, i);
      EXPECT_EQ(s.dateTime, expectTime);
      if (plan[i].valid) {
        EXPECT_NEAR(s.latitude, plan[i].latitude, 1e-6) << i;
        EXPECT_NEAR(s.longitude, plan[i].longitude, 1e-6) << i;
        EXPECT_NEAR(s.speedKmh, plan[i].knots * 1.852, 0.1) << i;
      }
      EXPECT_NEAR(s.gForce, side.g ? std::hypot(GRecordX(i), GRecordY) : 0.0, 0.01) << i;
    }
  }
}

namespace {

std::string WriteBytes(const QTemporaryDir& dir, const std::string& name, const std::string& bytes) {
  const std::string path = dir.path().toStdString() + "/" + name;
  QFile f(QString::fromStdString(path));
  EXPECT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(bytes.data(), qint64(bytes.size()));
  return path;
}

}  // namespace

// Huge, binary and endless side-cars, and sentences with wrong checksums, stay bounded: at most
// MaxSidecarBytes read, MaxFixes fixes kept, no line longer than MaxNmeaLine taken.
TEST(OtherCameraSidecars, HostileOnesStayBounded) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  std::vector<FixPlan> many;
  for (int m = 0; m < 60; ++m)
    for (const FixPlan& f : PlanDrive(m, 60, 35.0, 139.0)) many.push_back(f);
  const std::string big = NmeaText(many, true, false);  // 3600 fixes, about 0.5 MB
  std::string huge;
  while (huge.size() < 5 * MaxSidecarBytes) huge += big;
  std::string binary(2 * MaxSidecarBytes, '\0');
  for (size_t i = 0; i < binary.size(); ++i) binary[i] = static_cast<char>((i * 2654435761u) >> 13);
  binary.replace(0, 2, "$G");
  const std::string endless = "$GPRMC," + std::string(3 * MaxSidecarBytes, '1');
  std::string badSums = NmeaText(PlanDrive(0, 5, 35.0, 139.0), false, false);
  for (size_t at = badSums.find('*'); at != std::string::npos; at = badSums.find('*', at + 1)) badSums[at + 1] = 'Z';
  struct Case {
    const char* name;
    const std::string* bytes;
    int samples;
  };
  for (const Case& c : {Case{"huge.gps", &huge, int(TrackCapacity / 10 * 10)}, Case{"binary.nmea", &binary, 0},
                        Case{"endless.gps", &endless, 0}, Case{"sums.gps", &badSums, 0}}) {
    SCOPED_TRACE(c.name);
    const std::string path = WriteBytes(dir, c.name, *c.bytes);
    Mp4Parser parser;
    std::vector<std::string> lines;
    auto track = std::make_unique<TelemetryTrack>();
    bool gpsSeen = false;
    EXPECT_EQ(LoadTelemetry(dir.path().toStdString() + "/absent.mp4", path, parser, lines, *track, gpsSeen),
              DataTypeFixes);
    EXPECT_EQ(track->sampleCount, c.samples);
    EXPECT_LE(lines.size(), TrackCapacity);
  }
  // A record file of a few bytes and a huge one.
  EXPECT_TRUE(ParseGRecords("\x01\x02\x03").empty());
  EXPECT_EQ(ParseGRecords(std::string(MaxSidecarBytes, '\x7f')).size(), MaxFixes);
}

// A coordinate is taken only inside its range: three degree digits read up to 999, and a
// longitude past 180 (or a latitude past 90) must not come out as a valid fix.
TEST(OtherCameraSidecars, CoordinatesPastTheirRangesAreNoFix) {
  struct Case {
    const char* latitude;
    const char* longitude;
    bool valid;
  };
  for (const Case& c : {Case{"9000.0000,N", "18000.0000,E", true}, Case{"9000.0000,S", "18000.0000,W", true},
                        Case{"9000.0001,N", "13900.0000,E", false}, Case{"3500.0000,N", "18000.0001,W", false},
                        Case{"3500.0000,N", "47129.35844,W", false}, Case{"9959.9999,S", "13900.0000,E", false}}) {
    SCOPED_TRACE(std::string(c.latitude) + " " + c.longitude);
    for (const char* form : {"RMC", "GGA"}) {
      const std::string line =
          std::string(form) == "RMC"
              ? std::string("[1672574400000]$GPRMC,120000.00,A,") + c.latitude + "," + c.longitude + ",10.0,,010123,,,A\n"
              : std::string("[1672574400000]$GPGGA,120000.00,") + c.latitude + "," + c.longitude + ",1,08,1.0,10.0,M,,M,,\n";
      const std::vector<GpsFix> fixes = ParseNmeaText(line);
      ASSERT_EQ(fixes.size(), 1u) << form;
      EXPECT_EQ(fixes[0].valid, c.valid) << form;
      if (fixes[0].valid) {
        EXPECT_TRUE(PositionInRange(fixes[0].latitude, fixes[0].longitude)) << form;
      }
    }
  }
}

// A "gps " box that lists more blocks than the file holds, blocks outside the file and blocks
// too small: nothing outside the file is read, no more than MaxFixes taken.
TEST_F(OtherCards, HostileFreeGpsListsStayInsideTheFile) {
  const std::string card = Card(1);
  const std::string path = card + "/DCIM/Movie/2023_0101_120000_0001F.MP4";
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::ReadWrite));
  QByteArray bytes = f.readAll();
  const qsizetype box = bytes.indexOf("gps ");
  ASSERT_GT(box, 0);
  // count 0xFFFFFFFF; first block far outside the file; second of 4 bytes.
  auto put = [&](qsizetype at, quint32 v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = char(v >> (8 * (3 - i)) & 0xFF);
  };
  put(box + 8, 0xFFFFFFFFu);
  put(box + 12, 0xFFFFFF00u);
  put(box + 20, 4);
  f.seek(0);
  f.write(bytes);
  f.close();
  bool viaBox = false;
  const std::vector<GpsFix> fixes = ReadFreeGps(path, &viaBox);
  EXPECT_TRUE(viaBox);
  EXPECT_EQ(fixes.size(), size_t(kCardClipSeconds - 2));  // those listed, less the two broken entries
  // A block whose signature is there but whose layout is none of the known ones.
  std::string block = FreeGpsBlock(PlanDrive(0, 1, 1, 1)[0]);
  GpsFix fix;
  EXPECT_TRUE(DecodeFreeGpsBlock(block, fix));
  block[0x49] = 'X';
  EXPECT_FALSE(DecodeFreeGpsBlock(block, fix));
  EXPECT_FALSE(DecodeFreeGpsBlock(block.substr(0, MinFreeGpsBlock - 1), fix));
}
