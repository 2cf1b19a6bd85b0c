#include "tools/cli/movie_duration.h"

#include <cstdio>
#include <algorithm>
#include <cstdint>
#include <memory>

namespace korvane::cli {

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

uint64_t BigEndian(const unsigned char* p, int n) {
  uint64_t v = 0;
  for (int i = 0; i < n; ++i) v = v << 8 | p[i];
  return v;
}

// Finds the box `type` among the boxes in [from, to); sets its payload range.
bool FindBox(FILE* f, uint64_t from, uint64_t to, const char* type, uint64_t& payload, uint64_t& end) {
  uint64_t at = from;
  while (at + 8 <= to) {
    unsigned char head[16];
    if (std::fseek(f, static_cast<long>(at), SEEK_SET) != 0 || std::fread(head, 1, 8, f) != 8) return false;
    uint64_t size = BigEndian(head, 4);
    uint64_t header = 8;
    if (size == 1) {
      if (std::fread(head + 8, 1, 8, f) != 8) return false;
      size = BigEndian(head + 8, 8);
      header = 16;
    } else if (size == 0) {
      size = to - at;
    }
    if (size < header || size > to - at) return false;
    if (std::equal(head + 4, head + 8, type)) {
      payload = at + header;
      end = at + size;
      return true;
    }
    at += size;
  }
  return false;
}

}  // namespace

std::optional<std::int64_t> MovieDuration100ns(const std::string& path) {
  std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f || std::fseek(f.get(), 0, SEEK_END) != 0) return std::nullopt;
  const long length = std::ftell(f.get());
  if (length <= 0) return std::nullopt;
  uint64_t moov = 0, moovEnd = 0, mvhd = 0, mvhdEnd = 0;
  if (!FindBox(f.get(), 0, static_cast<uint64_t>(length), "moov", moov, moovEnd) ||
      !FindBox(f.get(), moov, moovEnd, "mvhd", mvhd, mvhdEnd))
    return std::nullopt;
  unsigned char body[32];
  const uint64_t available = mvhdEnd - mvhd;
  if (available < 20 || std::fseek(f.get(), static_cast<long>(mvhd), SEEK_SET) != 0) return std::nullopt;
  const size_t want = available >= 32 ? 32 : static_cast<size_t>(available);
  if (std::fread(body, 1, want, f.get()) != want) return std::nullopt;
  uint64_t timescale = 0, duration = 0;
  if (body[0] == 1) {  // version 1: 64-bit times
    if (want < 32) return std::nullopt;
    timescale = BigEndian(body + 20, 4);
    duration = BigEndian(body + 24, 8);
  } else {
    timescale = BigEndian(body + 12, 4);
    duration = BigEndian(body + 16, 4);
  }
  if (timescale == 0 || duration == UINT64_MAX || duration == 0xFFFFFFFFu) return std::nullopt;
  const long double units = static_cast<long double>(duration) * 10000000.0L / timescale;
  if (units > static_cast<long double>(INT64_MAX)) return std::nullopt;
  return static_cast<std::int64_t>(units);
}

}  // namespace korvane::cli
