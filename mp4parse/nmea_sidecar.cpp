#include "mp4parse/nmea_sidecar.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "mp4parse/binary_stream.h"
#include "mp4parse/civil_date.h"
#include "mp4parse/load_telemetry.h"
#include "mp4parse/text_fields.h"

namespace korvane {

namespace {

// All fields, empty ones kept (SplitFields drops them, and NMEA leaves fields empty).
std::vector<std::string_view> NmeaFields(std::string_view s) {
  std::vector<std::string_view> out;
  size_t at = 0;
  while (out.size() < 32) {
    const size_t comma = s.find(',', at);
    out.push_back(s.substr(at, comma == std::string_view::npos ? std::string_view::npos : comma - at));
    if (comma == std::string_view::npos) break;
    at = comma + 1;
  }
  return out;
}

bool AllDigits(std::string_view s, size_t count) {
  if (s.size() < count) return false;
  for (size_t i = 0; i < count; ++i)
    if (s[i] < '0' || s[i] > '9') return false;
  return true;
}

// "ddmm.mmmm" / "dddmm.mmmm" with its hemisphere letter; false when malformed.
bool Coordinate(std::string_view field, std::string_view hemisphere, bool longitude, double& out) {
  const size_t point = field.find('.');
  const size_t degreeDigits = longitude ? 3 : 2;
  if (point != degreeDigits + 2 || !AllDigits(field, point)) return false;
  for (size_t i = point + 1; i < field.size(); ++i)
    if (field[i] < '0' || field[i] > '9') return false;
  if (hemisphere.size() != 1) return false;
  const char h = hemisphere[0];
  if (longitude ? (h != 'E' && h != 'W') : (h != 'N' && h != 'S')) return false;
  const double degrees = fields::ReadNumber(field.substr(0, degreeDigits));
  const double minutes = fields::ReadNumber(field.substr(degreeDigits));
  if (minutes >= 60) return false;
  out = degrees + minutes / 60.0;
  // Three degree digits read up to 999: a longitude past 180 (or a latitude past 90) is no place.
  if (out > (longitude ? MaxLongitude : MaxLatitude)) return false;
  if (h == 'S' || h == 'W') out = -out;
  return true;
}

std::string TimeText(std::string_view hhmmss) {
  return std::string(hhmmss.substr(0, 2)) + ":" + std::string(hhmmss.substr(2, 2)) + ":" +
         std::string(hhmmss.substr(4, 2));
}

// "YYYY/MM/DD" of unix milliseconds.
std::string DateOfMillis(long long ms) {
  const CivilDate date = CivilFromDays(ms / 86400000);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", date.year % 10000, date.month, date.day);
  return buf;
}

struct Pending {
  std::string time;  // "hhmmss" of the receiver
  GpsFix fix;
  bool fromRmc = false;
};

}  // namespace

bool NmeaChecksumOk(std::string_view s) {
  const size_t star = s.rfind('*');
  if (star == std::string_view::npos) return true;
  if (star + 3 > s.size()) return false;
  unsigned sum = 0;
  for (size_t i = 1; i < star; ++i) sum ^= static_cast<unsigned char>(s[i]);
  auto hex = [](char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
  };
  const int hi = hex(s[star + 1]), lo = hex(s[star + 2]);
  return hi >= 0 && lo >= 0 && unsigned(hi * 16 + lo) == sum;
}

std::vector<GpsFix> ParseNmeaText(std::string_view text, uint64_t* found) {
  std::vector<GpsFix> fixes;
  uint64_t taken = 0;
  Pending cur;
  bool open = false;
  std::string lastDate;
  auto close = [&] {
    if (open && fixes.size() < MaxFixes) fixes.push_back(cur.fix);
    open = false;
  };
  size_t at = 0;
  while (at < text.size() && fixes.size() < MaxFixes) {
    size_t end = text.find('\n', at);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(at, end - at);
    at = end + 1;
    if (line.size() > MaxNmeaLine) continue;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    long long millis = -1;
    if (!line.empty() && line[0] == '[') {
      const size_t close_ = line.find(']');
      if (close_ == std::string_view::npos || close_ > 20 || !AllDigits(line.substr(1), close_ - 1) || close_ < 2)
        continue;
      millis = static_cast<long long>(fields::ReadLeadingInteger(line.substr(1, close_ - 1)));
      line.remove_prefix(close_ + 1);
    }
    if (line.size() < 7 || line[0] != '$' || !NmeaChecksumOk(line)) continue;
    const size_t star = line.rfind('*');
    const std::string_view body = star == std::string_view::npos ? line : line.substr(0, star);
    const std::string_view kind = line.substr(1, 5);
    const bool rmc = kind == "GPRMC" || kind == "GNRMC";
    const bool gga = kind == "GPGGA" || kind == "GNGGA";
    if (!rmc && !gga) continue;
    const std::vector<std::string_view> f = NmeaFields(body);
    if (f.size() < (rmc ? 10u : 7u) || !AllDigits(f[1], 6)) continue;
    const std::string time(f[1].substr(0, 6));
    if (!open || time != cur.time) {
      close();
      cur = Pending{};
      cur.time = time;
      open = true;
    }
    ++taken;
    if (rmc) {
      double lat = 0, lon = 0;
      const bool position = Coordinate(f[3], f[4], false, lat) && Coordinate(f[5], f[6], true, lon);
      cur.fromRmc = true;
      cur.fix.valid = f[2] == "A" && position;
      cur.fix.latitude = position ? lat : 0;
      cur.fix.longitude = position ? lon : 0;
      cur.fix.speedKmh = NoSpeed;
      if (!f[7].empty()) {
        const double knots = fields::ReadNumber(f[7]);
        if (knots >= 0 && std::isfinite(knots)) cur.fix.speedKmh = knots * KnotsToKmh;
      }
      if (AllDigits(f[9], 6) && f[9].size() == 6)
        lastDate = "20" + std::string(f[9].substr(4, 2)) + "/" + std::string(f[9].substr(2, 2)) + "/" +
                   std::string(f[9].substr(0, 2));
    } else if (!cur.fromRmc) {
      double lat = 0, lon = 0;
      const bool position = Coordinate(f[2], f[3], false, lat) && Coordinate(f[4], f[5], true, lon);
      cur.fix.valid = position && !f[6].empty() && f[6] != "0";
      cur.fix.latitude = position ? lat : 0;
      cur.fix.longitude = position ? lon : 0;
    }
    const std::string date = !lastDate.empty() ? lastDate : millis >= 0 ? DateOfMillis(millis) : std::string();
    cur.fix.dateTime = date.empty() ? TimeText(time) : date + " " + TimeText(time);
  }
  close();
  if (found) *found = taken;
  return fixes;
}

std::vector<double> ParseGRecords(std::string_view bytes) {
  std::vector<double> out;
  for (size_t at = 0; at + GRecordBytes <= bytes.size() && out.size() < MaxFixes; at += GRecordBytes) {
    auto axis = [&](size_t k) {
      const auto hi = static_cast<unsigned char>(bytes[at + 4 + 2 * k]);
      const auto lo = static_cast<unsigned char>(bytes[at + 5 + 2 * k]);
      return static_cast<int16_t>(static_cast<uint16_t>(hi << 8 | lo)) / 256.0;
    };
    const double x = axis(0), y = axis(1), z = axis(2);
    out.push_back(std::sqrt(x * x + y * y + z * z));
  }
  return out;
}

std::string ReadBoundedFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw MP4::BinaryStreamException(1);
  std::string bytes(MaxSidecarBytes, '\0');
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (in.bad()) throw MP4::BinaryStreamException(1);
  bytes.resize(static_cast<size_t>(in.gcount()));
  return bytes;
}

OtherSidecar OtherSidecarKind(const std::string& path, std::string_view head) {
  std::string ext;
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return OtherSidecar::None;
  for (char c : path.substr(dot + 1)) ext += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  if (ext == "3gf") return OtherSidecar::GRecords;
  if (ext != "gps" && ext != "nmea") return OtherSidecar::None;
  size_t i = 0;
  if (head.substr(0, 3) == "\xEF\xBB\xBF") i = 3;
  while (i < head.size() && (head[i] == '\r' || head[i] == '\n' || head[i] == ' ')) ++i;
  if (i < head.size() && head[i] == '[') return OtherSidecar::Nmea;
  if (head.substr(i, 2) == "$G") return OtherSidecar::Nmea;
  return OtherSidecar::None;
}

std::string FindOtherSidecar(const std::string& recordingPath) {
  const size_t dot = recordingPath.rfind('.');
  const size_t slash = recordingPath.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == 0) return {};
  const std::string stem = recordingPath.substr(0, dot);
  std::error_code ec;
  for (const char* ext : {".gps", ".GPS", ".nmea", ".NMEA", ".3gf", ".3GF"}) {
    for (const std::string& s : {stem, stem.substr(0, stem.size() - 1)}) {
      const std::string path = s + ext;
      if (!std::filesystem::is_regular_file(path, ec)) continue;
      std::ifstream in(path, std::ios::binary);
      std::string head(64, '\0');
      in.read(head.data(), static_cast<std::streamsize>(head.size()));
      head.resize(static_cast<size_t>(std::max<std::streamsize>(in.gcount(), 0)));
      if (OtherSidecarKind(path, head) != OtherSidecar::None) return path;
    }
  }
  return {};
}

}  // namespace korvane
