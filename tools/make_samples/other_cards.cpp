#include "tools/make_samples/other_cards.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace korvane::samples {

namespace {

void Le32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
}
void Be32(std::string& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * (3 - i)) & 0xFF);
}
uint32_t ReadBe32(const std::string& b, size_t at) {
  return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
         uint32_t(uint8_t(b[at + 3]));
}
void LeFloat(std::string& b, size_t at, float f) {
  uint32_t u;
  std::memcpy(&u, &f, sizeof u);
  Le32(b, at, u);
}

// "ddmm.mmmmm" (or "dddmm.mmmmm") of the absolute value of a coordinate.
std::string DegreesMinutes(double value, bool longitude) {
  const double a = std::fabs(value);
  const int degrees = static_cast<int>(a);
  const double minutes = (a - degrees) * 60;
  char buf[32];
  std::snprintf(buf, sizeof buf, longitude ? "%03d%08.5f" : "%02d%08.5f", degrees, minutes);
  return buf;
}

std::string WithChecksum(const std::string& body) {
  unsigned sum = 0;
  for (size_t i = 1; i < body.size(); ++i) sum ^= static_cast<unsigned char>(body[i]);
  char buf[8];
  std::snprintf(buf, sizeof buf, "*%02X", sum);
  return body + buf;
}

bool ReadFile(const std::string& path, std::string& out) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return false;
  out = f.readAll().toStdString();
  return true;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
  const QString p = QString::fromStdString(path);
  QDir().mkpath(QFileInfo(p).absolutePath());
  QFile f(p);
  return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes.data(), qint64(bytes.size())) == qint64(bytes.size());
}

std::string Copy(const std::string& from, const std::string& to) {
  std::string bytes;
  if (!ReadFile(from, bytes)) return "cannot read " + from;
  if (!WriteFile(to, bytes)) return "cannot write " + to;
  return {};
}

}  // namespace

std::vector<FixPlan> PlanDrive(int minute, int count, double latitude, double longitude) {
  std::vector<FixPlan> out;
  for (int i = 0; i < count; ++i) {
    FixPlan f;
    f.minute = minute;
    f.second = i;
    f.valid = i != 2;
    // About 10 m a second to the north-east, speeding up.
    f.latitude = latitude + (latitude < 0 ? -1 : 1) * 0.0000731 * i;
    f.longitude = longitude + (longitude < 0 ? -1 : 1) * 0.0000917 * i;
    f.knots = 10.25 + 1.5 * i;
    out.push_back(f);
  }
  return out;
}

std::string NmeaText(const std::vector<FixPlan>& fixes, bool prefix, bool gnss) {
  std::string out;
  for (const FixPlan& f : fixes) {
    char time[16], date[16];
    std::snprintf(time, sizeof time, "%02d%02d%02d.00", f.hour, f.minute, f.second);
    std::snprintf(date, sizeof date, "%02d%02d%02d", f.day, f.month, f.year % 100);
    const std::string lat = f.valid ? DegreesMinutes(f.latitude, false) : "";
    const std::string lon = f.valid ? DegreesMinutes(f.longitude, true) : "";
    const std::string ns = f.valid ? (f.latitude < 0 ? "S" : "N") : "";
    const std::string ew = f.valid ? (f.longitude < 0 ? "W" : "E") : "";
    char speed[16];
    std::snprintf(speed, sizeof speed, "%.2f", f.knots);
    const std::string talker = gnss ? "$GN" : "$GP";
    const std::string rmc = WithChecksum(talker + "RMC," + time + "," + (f.valid ? "A" : "V") + "," + lat + "," + ns +
                                         "," + lon + "," + ew + "," + (f.valid ? speed : "") + ",45.0," + date + ",,,A");
    const std::string gga = WithChecksum(talker + "GGA," + time + "," + lat + "," + ns + "," + lon + "," + ew + "," +
                                         (f.valid ? "1,08,0.9,45.0,M,39.0,M,," : "0,00,,,M,,M,,"));
    // 2023-01-01 00:00:00 UTC is 1672531200 s.
    const long long ms =
        (1672531200LL + (f.day - 1) * 86400LL + f.hour * 3600LL + f.minute * 60LL + f.second) * 1000LL;
    const std::string pre = prefix ? "[" + std::to_string(ms) + "]" : "";
    out += pre + rmc + "\r\n" + pre + gga + "\r\n";
  }
  return out;
}

std::string GRecords(int count) {
  std::string out(static_cast<size_t>(count) * 10, '\0');
  auto put16 = [&](size_t at, double g) {
    const int v = static_cast<int>(std::lround(g * 256));
    out[at] = static_cast<char>(v >> 8 & 0xFF);
    out[at + 1] = static_cast<char>(v & 0xFF);
  };
  for (int i = 0; i < count; ++i) {
    const size_t at = static_cast<size_t>(i) * 10;
    Be32(out, at, static_cast<uint32_t>(i * 1000));
    put16(at + 4, GRecordX(i));
    put16(at + 6, -GRecordY);
    put16(at + 8, 0);
  }
  return out;
}

std::string FreeGpsBlock(const FixPlan& f, FreeGpsLayout layout) {
  std::string b(0x8000, '\0');
  Be32(b, 0, 0x8000);
  std::memcpy(b.data() + 4, "freeGPS ", 8);
  Le32(b, 0x0C, 0x4C);
  Le32(b, 0x30, static_cast<uint32_t>(f.hour));
  Le32(b, 0x34, static_cast<uint32_t>(f.minute));
  Le32(b, 0x38, static_cast<uint32_t>(f.second));
  auto ddmm = [](double v) {
    const double a = std::fabs(v);
    const double d = std::floor(a);
    return d * 100 + (a - d) * 60;
  };
  const char ns = f.latitude < 0 ? 'S' : 'N', ew = f.longitude < 0 ? 'W' : 'E';
  if (layout == FreeGpsLayout::Doubles) {
    b[0x3C] = f.valid ? 'A' : 'V';
    auto putDouble = [&](size_t at, double d) {
      uint64_t u;
      std::memcpy(&u, &d, sizeof u);
      Le32(b, at, static_cast<uint32_t>(u));
      Le32(b, at + 4, static_cast<uint32_t>(u >> 32));
    };
    putDouble(0x40, ddmm(f.latitude));
    b[0x48] = ns;
    putDouble(0x50, ddmm(f.longitude));
    b[0x58] = ew;
    putDouble(0x60, f.knots);
    putDouble(0x68, 45.0);
    Le32(b, 0x70, static_cast<uint32_t>(f.year - 2000));
    Le32(b, 0x74, static_cast<uint32_t>(f.month));
    Le32(b, 0x78, static_cast<uint32_t>(f.day));
    return b;
  }
  Le32(b, 0x3C, static_cast<uint32_t>(f.year - 2000));
  Le32(b, 0x40, static_cast<uint32_t>(f.month));
  Le32(b, 0x44, static_cast<uint32_t>(f.day));
  b[0x48] = f.valid ? 'A' : 'V';
  b[0x49] = ns;
  b[0x4A] = ew;
  if (layout == FreeGpsLayout::Integers) {
    std::memcpy(b.data() + 0x10, "IQS_A7_20150417", 15);
    Le32(b, 0x4C, static_cast<uint32_t>(static_cast<int32_t>(std::lround(std::fabs(f.latitude) * 1e7))));
    Le32(b, 0x50, static_cast<uint32_t>(static_cast<int32_t>(std::lround(std::fabs(f.longitude) * 1e7))));
    Le32(b, 0x54, static_cast<uint32_t>(static_cast<int32_t>(std::lround(f.knots * 1.852 / 3.6 * 100))));
    LeFloat(b, 0x58, 45000.0f);
    return b;
  }
  LeFloat(b, 0x4C, static_cast<float>(ddmm(f.latitude)));
  LeFloat(b, 0x50, static_cast<float>(ddmm(f.longitude)));
  LeFloat(b, 0x54, static_cast<float>(f.knots));
  LeFloat(b, 0x58, 45.0f);
  return b;
}

std::string AddFreeGps(const std::string& path, const std::vector<FixPlan>& fixes, bool withBox,
                       FreeGpsLayout layout) {
  std::string file;
  if (!ReadFile(path, file)) return "cannot read " + path;
  size_t mdat = std::string::npos, moov = std::string::npos;
  for (size_t at = 0; at + 8 <= file.size();) {
    const uint32_t size = ReadBe32(file, at);
    const std::string type = file.substr(at + 4, 4);
    if (size < 8 || at + size > file.size()) return "a box of " + path + " has a size the writer does not handle";
    if (type == "mdat") mdat = at;
    if (type == "moov") moov = at;
    at += size;
  }
  if (mdat == std::string::npos || moov == std::string::npos || moov < mdat)
    return path + " does not have its media data before its movie box";
  const size_t mdatEnd = mdat + ReadBe32(file, mdat);
  std::string blocks;
  std::string list;
  for (const FixPlan& f : fixes) {
    std::string entry(8, '\0');
    Be32(entry, 0, static_cast<uint32_t>(mdatEnd + blocks.size()));
    Be32(entry, 4, 0x8000);
    list += entry;
    blocks += FreeGpsBlock(f, layout);
  }
  std::string out = file.substr(0, mdatEnd) + blocks + file.substr(mdatEnd);
  Be32(out, mdat, static_cast<uint32_t>(ReadBe32(file, mdat) + blocks.size()));
  if (withBox) {
    std::string box(16, '\0');
    Be32(box, 0, static_cast<uint32_t>(16 + list.size()));
    std::memcpy(box.data() + 4, "gps ", 4);
    Be32(box, 8, 0x00000101);
    Be32(box, 12, static_cast<uint32_t>(fixes.size()));
    box += list;
    const size_t newMoov = moov + blocks.size();
    const uint32_t moovSize = ReadBe32(out, newMoov);
    out.insert(newMoov + moovSize, box);
    Be32(out, newMoov, static_cast<uint32_t>(moovSize + box.size()));
  }
  if (!WriteFile(path, out)) return "cannot write " + path;
  return {};
}

std::string EncodeCardClips(const std::string& work) {
  QDir().mkpath(QString::fromStdString(work));
  const std::string seconds = std::to_string(kCardClipSeconds);
  const std::string sources[] = {"testsrc=size=160x96:rate=10:duration=" + seconds,
                                 "smptebars=size=160x96:rate=10:duration=" + seconds};
  const char* names[] = {"front.mp4", "rear.mp4"};
  for (int i = 0; i < 2; ++i) {
    QProcess p;
    p.setProgram(QStringLiteral("ffmpeg"));
    p.setArguments({"-nostdin", "-y", "-loglevel", "error", "-f", "lavfi", "-i", QString::fromStdString(sources[i]), "-f", "lavfi",
                    "-i", QString::fromStdString("sine=frequency=440:duration=" + seconds), "-c:v", "libx264", "-preset", "ultrafast", "-pix_fmt",
                    "yuv420p", "-g", "10", "-c:a", "aac", "-b:a", "32k", "-shortest",
                    QString::fromStdString(work + "/" + names[i])});
    p.start();
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
      p.kill();
      p.waitForFinished(1000);
      return "ffmpeg failed: " + p.readAllStandardError().toStdString();
    }
  }
  return {};
}

std::string WriteOtherCard(int form, const std::string& folder, const std::string& work) {
  const std::string front = work + "/front.mp4", rear = work + "/rear.mp4";
  std::string e;
  auto F = [&](const std::string& name) { if (e.empty()) e = Copy(front, folder + "/" + name); };
  auto R = [&](const std::string& name) { if (e.empty()) e = Copy(rear, folder + "/" + name); };
  auto Text = [&](const std::string& name, const std::string& text) {
    if (e.empty() && !WriteFile(folder + "/" + name, text)) e = "cannot write " + folder + "/" + name;
  };
  auto Gps = [&](const std::string& name, const std::vector<FixPlan>& fixes, bool box) {
    F(name);
    if (e.empty()) e = AddFreeGps(folder + "/" + name, fixes, box);
  };
  switch (form) {
    case 1:
      Gps("DCIM/Movie/2023_0101_120000_0001F.MP4", PlanDrive(0, kCardClipSeconds, 35.681236, 139.767125), true);
      R("DCIM/Movie/2023_0101_120001_0001R.MP4");
      Gps("DCIM/Movie/2023_0101_120300_0002F.MP4", PlanDrive(3, kCardClipSeconds, 35.6841, 139.7712), false);
      R("DCIM/Movie/2023_0101_120301_0002R.MP4");
      Gps("DCIM/Movie/RO/2023_0101_120600_0003F.MP4", PlanDrive(6, kCardClipSeconds, -33.868820, -70.650000), true);
      F("DCIM/Movie/2023_0101_121000_0004PF.MP4");
      R("DCIM/Movie/2023_0101_121000_0004PR.MP4");
      break;
    case 2:
      F("20230101_120000_NF.mp4");
      R("20230101_120001_NR.mp4");
      Text("20230101_120000_N.gps", NmeaText(PlanDrive(0, kCardClipSeconds, 40.712776, -74.005974), true, false));
      Text("20230101_120000_N.3gf", GRecords(kCardClipSeconds));
      F("20230101_120500_EF.mp4");
      Text("20230101_120500_E.gps", NmeaText(PlanDrive(5, kCardClipSeconds, -33.868820, 151.209290), false, true));
      F("20230101_121000_PF.mp4");
      F("20230101_121500_MIF.mp4");
      break;
    case 3:
      F("front_norm/2023_01_01_120000_00_F.MP4");
      R("rear_norm/2023_01_01_120001_00_R.MP4");
      F("front_emer/2023_01_01_120500_02_F.MP4");
      R("rear_emer/2023_01_01_120500_02_R.MP4");
      break;
    case 4:
      F("cont_rec/REC_2023_01_01_12_00_00_F.MP4");
      R("cont_rec/REC_2023_01_01_12_00_01_R.MP4");
      F("evt_rec/EVT_2023_01_01_12_05_00_F.MP4");
      F("manual_rec/MAN_2023_01_01_12_10_00_F.MP4");
      F("parking_rec/PARK_2023_01_01_12_15_00_F.MP4");
      break;
    case 5:
      F("Normal/Front/NO20230101-120000-000001F.MP4");
      R("Normal/Back/NO20230101-120001-000001B.MP4");
      F("Event/Front/EV20230101-120500-000002F.MP4");
      R("Event/Back/EV20230101-120500-000002B.MP4");
      F("Parking/Front/PA20230101-121000-000003F.MP4");
      break;
    case 6:
      F("20230101_120000_0001_N_A.MP4");
      R("20230101_120001_0001_N_B.MP4");
      R("20230101_120000_0001_N_C.MP4");
      F("20230101_120500_0002_E_A.MP4");
      break;
    case 7:
      F("230101_120000_001_FH.MP4");
      R("230101_120001_001_RH.MP4");
      F("EVENT/230101_120500_002_FH.MP4");
      break;
    case 8:
      F("RecentClips/2023-01-01_12-00-00-front.mp4");
      R("RecentClips/2023-01-01_12-00-00-back.mp4");
      R("RecentClips/2023-01-01_12-00-01-left_repeater.mp4");
      R("RecentClips/2023-01-01_12-00-01-right_repeater.mp4");
      F("SavedClips/2023-01-01_12-10-00/2023-01-01_12-09-00-front.mp4");
      Text("SavedClips/2023-01-01_12-10-00/event.json",
           "{\"timestamp\":\"2023-01-01T12:10:00\",\"city\":\"\",\"reason\":\"user_interaction_honk\"}\n");
      F("SentryClips/2023-01-01_13-00-00/2023-01-01_12-59-00-front.mp4");
      R("SentryClips/2023-01-01_13-00-00/2023-01-01_12-59-00-back.mp4");
      Text("SentryClips/2023-01-01_13-00-00/event.json",
           "{\"timestamp\":\"2023-01-01T13:00:00\",\"city\":\"\",\"reason\":\"sentry_aware_object_detection\"}\n");
      break;
    default: return "no form " + std::to_string(form);
  }
  return e;
}

int GenerateOtherCards(const std::string& folder) {
  const std::string work = folder + "/.clips";
  if (const std::string e = EncodeCardClips(work); !e.empty()) {
    std::cerr << "make_samples: " << e << "\n";
    return 1;
  }
  for (int form = 1; form <= 8; ++form) {
    const std::string card = folder + "/form" + std::to_string(form);
    QDir(QString::fromStdString(card)).removeRecursively();
    if (const std::string e = WriteOtherCard(form, card, work); !e.empty()) {
      std::cerr << "make_samples: " << e << "\n";
      return 1;
    }
    std::cout << "card of form " << form << " in " << card << "\n";
  }
  QDir(QString::fromStdString(work)).removeRecursively();
  return 0;
}

}  // namespace korvane::samples
