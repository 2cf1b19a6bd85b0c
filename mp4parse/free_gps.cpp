#include "mp4parse/free_gps.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>

#include "mp4parse/binary_stream.h"

namespace korvane {

namespace {

constexpr char kSignature[] = "freeGPS ";

uint32_t Le32(std::string_view b, size_t at) {
  return uint32_t(uint8_t(b[at])) | uint32_t(uint8_t(b[at + 1])) << 8 | uint32_t(uint8_t(b[at + 2])) << 16 |
         uint32_t(uint8_t(b[at + 3])) << 24;
}
uint32_t Be32(std::string_view b, size_t at) {
  return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 | uint32_t(uint8_t(b[at + 2])) << 8 |
         uint32_t(uint8_t(b[at + 3]));
}
uint64_t Be64(std::string_view b, size_t at) { return uint64_t(Be32(b, at)) << 32 | Be32(b, at + 4); }
float LeFloat(std::string_view b, size_t at) {
  const uint32_t u = Le32(b, at);
  float f;
  std::memcpy(&f, &u, sizeof f);
  return f;
}
double LeDouble(std::string_view b, size_t at) {
  const uint64_t u = uint64_t(Le32(b, at)) | uint64_t(Le32(b, at + 4)) << 32;
  double d;
  std::memcpy(&d, &u, sizeof d);
  return d;
}

// DDDMM.MMMM -> degrees
double FromDegreesMinutes(double v) {
  const double degrees = std::trunc(v / 100);
  return degrees + (v - degrees * 100) / 60;
}

std::string DateTime(uint32_t year, uint32_t month, uint32_t day, uint32_t hour, uint32_t minute, uint32_t second) {
  if (year < 2000) year += 2000;
  if (year > 9999 || month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
    return {};
  char buf[24];
  std::snprintf(buf, sizeof buf, "%04u/%02u/%02u %02u:%02u:%02u", year, month, day, hour, minute, second);
  return buf;
}

bool Hemispheres(char ns, char ew) { return (ns == 'N' || ns == 'S') && (ew == 'E' || ew == 'W'); }

// Reads `size` bytes at `offset`; false when they are not all there.
bool ReadAt(std::ifstream& in, uint64_t offset, size_t size, std::string& out) {
  out.assign(size, '\0');
  in.clear();
  in.seekg(static_cast<std::streamoff>(offset));
  in.read(out.data(), static_cast<std::streamsize>(size));
  return static_cast<size_t>(in.gcount()) == size;
}

struct Box {
  uint64_t start = 0, size = 0, header = 8;
  std::string type;
};

// A camera's file has a handful of top-level boxes and a few dozen in its movie box; a file of
// countless tiny boxes is not walked to its end.
constexpr size_t kMaxTopBoxes = 64;
constexpr size_t kMaxMovieBoxes = 256;

// The boxes between `from` and `to`, at most `limit`.
std::vector<Box> Boxes(std::ifstream& in, uint64_t from, uint64_t to, size_t limit) {
  std::vector<Box> out;
  std::string h;
  uint64_t at = from;
  while (at + 8 <= to && out.size() < limit) {
    if (!ReadAt(in, at, 8, h)) break;
    Box b;
    b.start = at;
    b.size = Be32(h, 0);
    b.type = h.substr(4, 4);
    if (b.size == 1) {
      std::string big;
      if (at + 16 > to || !ReadAt(in, at + 8, 8, big)) break;
      b.size = Be64(big, 0);
      b.header = 16;
    } else if (b.size == 0) {
      b.size = to - at;
    }
    if (b.size < b.header || b.size > to - at) break;
    out.push_back(b);
    at += b.size;
  }
  return out;
}

void TakeBlock(std::ifstream& in, uint64_t offset, uint64_t size, uint64_t fileSize, std::vector<GpsFix>& out) {
  if (size < MinFreeGpsBlock || offset > fileSize || size > fileSize - offset) return;
  std::string block;
  if (!ReadAt(in, offset, static_cast<size_t>(std::min<uint64_t>(size, MaxFreeGpsBlock)), block)) return;
  GpsFix fix;
  if (DecodeFreeGpsBlock(block, fix)) out.push_back(fix);
}

}  // namespace

bool DecodeFreeGpsBlock(std::string_view b, GpsFix& fix) {
  if (b.size() < MinFreeGpsBlock || b.substr(4, 8) != std::string_view(kSignature, 8)) return false;
  fix = GpsFix{};
  if (b.size() >= 0x7C && (b[0x3C] == 'A' || b[0x3C] == 'V') && b[0x3D] == 0 && Hemispheres(b[0x48], b[0x58])) {
    // doubles
    fix.dateTime = DateTime(Le32(b, 0x70), Le32(b, 0x74), Le32(b, 0x78), Le32(b, 0x30), Le32(b, 0x34), Le32(b, 0x38));
    fix.valid = b[0x3C] == 'A';
    if (!fix.valid) return true;
    fix.latitude = FromDegreesMinutes(LeDouble(b, 0x40)) * (b[0x48] == 'S' ? -1 : 1);
    fix.longitude = FromDegreesMinutes(LeDouble(b, 0x50)) * (b[0x58] == 'W' ? -1 : 1);
    fix.speedKmh = LeDouble(b, 0x60) * KnotsToKmh;
    if (!std::isfinite(fix.speedKmh) || fix.speedKmh < 0) fix.speedKmh = NoSpeed;
    if (!std::isfinite(fix.latitude) || !std::isfinite(fix.longitude)) fix.valid = false;
    return true;
  }
  const char status = b[0x48];
  if ((status != 'A' && status != 'V') || !Hemispheres(b[0x49], b[0x4A]) || b[0x4B] != 0) return false;
  fix.dateTime = DateTime(Le32(b, 0x3C), Le32(b, 0x40), Le32(b, 0x44), Le32(b, 0x30), Le32(b, 0x34), Le32(b, 0x38));
  fix.valid = status == 'A';
  if (!fix.valid) return true;
  double lat, lon, kmh;
  if (b.substr(0x10, 3) == "IQS") {
    lat = std::abs(static_cast<int32_t>(Le32(b, 0x4C)) / 1e7);
    lon = std::abs(static_cast<int32_t>(Le32(b, 0x50)) / 1e7);
    kmh = static_cast<int32_t>(Le32(b, 0x54)) / 100.0 * 3.6;
  } else {
    lat = LeFloat(b, 0x4C);
    lon = LeFloat(b, 0x50);
    kmh = LeFloat(b, 0x54) * KnotsToKmh;
    if (b.size() >= 0x88) {
      const double lat2 = LeDouble(b, 0x70), lon2 = LeDouble(b, 0x80);
      if (std::abs(lat2 - lat) < 0.001 && std::abs(lon2 - lon) < 0.001) {
        lat = lat2;
        lon = lon2;
      }
    }
    lat = FromDegreesMinutes(lat);
    lon = FromDegreesMinutes(lon);
  }
  fix.latitude = lat * (b[0x49] == 'S' ? -1 : 1);
  fix.longitude = lon * (b[0x4A] == 'W' ? -1 : 1);
  fix.speedKmh = std::isfinite(kmh) && kmh >= 0 ? kmh : NoSpeed;
  if (!std::isfinite(fix.latitude) || !std::isfinite(fix.longitude)) fix.valid = false;
  return true;
}

std::vector<GpsFix> ReadFreeGps(const std::string& path, bool* viaBox, bool scan) {
  if (viaBox) *viaBox = false;
  std::ifstream in(path, std::ios::binary);
  if (!in) throw MP4::BinaryStreamException(1);
  in.seekg(0, std::ios::end);
  const uint64_t fileSize = static_cast<uint64_t>(std::max<std::streamoff>(in.tellg(), 0));
  std::vector<GpsFix> out;
  const std::vector<Box> top = Boxes(in, 0, fileSize, kMaxTopBoxes);
  // The list in the movie box.
  for (const Box& moov : top) {
    if (moov.type != "moov") continue;
    for (const Box& b : Boxes(in, moov.start + moov.header, moov.start + moov.size, kMaxMovieBoxes)) {
      if (b.type != "gps " || b.size < b.header + 8) continue;
      std::string head;
      if (!ReadAt(in, b.start + b.header, 8, head)) continue;
      const uint64_t room = (b.size - b.header - 8) / 8;
      const uint64_t count = std::min<uint64_t>({uint64_t{Be32(head, 4)}, room, uint64_t{MaxFixes}});
      std::string list;
      if (!ReadAt(in, b.start + b.header + 8, static_cast<size_t>(count * 8), list)) continue;
      if (viaBox) *viaBox = true;
      for (uint64_t i = 0; i < count && out.size() < MaxFixes; ++i)
        TakeBlock(in, Be32(list, i * 8), Be32(list, i * 8 + 4), fileSize, out);
      return out;
    }
  }
  // Else a scan of the media data for the signature ("\0??\0freeGPS ").
  for (const Box& mdat : top) {
    if (!scan || mdat.type != "mdat") continue;
    const uint64_t begin = mdat.start + mdat.header;
    const uint64_t end = std::min(mdat.start + mdat.size, begin + MaxFreeGpsScan);
    constexpr size_t kChunk = 1 << 20;
    std::string chunk;
    uint64_t at = begin;
    while (at + 12 <= end && out.size() < MaxFixes && (!out.empty() || at - begin < MaxFreeGpsFirstBlock)) {
      const size_t want = static_cast<size_t>(std::min<uint64_t>(kChunk, end - at));
      if (!ReadAt(in, at, want, chunk)) break;
      size_t next = want > 11 ? want - 11 : want;  // keep a signature cut by the chunk's end
      size_t p = 4;
      while (p + 8 <= chunk.size()) {
        p = chunk.find(kSignature, p, 8);
        if (p == std::string::npos) break;
        if (chunk[p - 4] != 0 || chunk[p - 1] != 0) {
          ++p;
          continue;
        }
        const uint64_t blockAt = at + p - 4;
        const uint32_t size = Be32(chunk, p - 4);
        TakeBlock(in, blockAt, std::min<uint64_t>(size, end - blockAt), fileSize, out);
        if (size < MinFreeGpsBlock || blockAt + size > end) {
          ++p;
          continue;
        }
        // Past the block; one that ends beyond the chunk moves the next read there.
        const uint64_t after = blockAt + size - at;
        if (after + 12 > chunk.size()) {
          next = static_cast<size_t>(after);
          break;
        }
        p = static_cast<size_t>(after) + 4;
      }
      at += std::max<size_t>(next, 1);
    }
  }
  return out;
}

}  // namespace korvane
