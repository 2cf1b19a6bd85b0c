// The top-level box chain of a file, checked without reading any payload.
#include "tools/cli/mp4_shape.h"

#include <cstdint>
#include <fstream>
#include <string>

namespace korvane::cli {

namespace {

uint64_t BigEndian(const unsigned char* p, int bytes) {
  uint64_t v = 0;
  for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
  return v;
}

}  // namespace

std::string Mp4ShapeProblem(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "cannot be read";
  in.seekg(0, std::ios::end);
  const std::streamoff end = in.tellg();
  if (end <= 0) return "not an MP4 recording: the file is empty";
  const uint64_t size = static_cast<uint64_t>(end);
  uint64_t at = 0;
  bool moov = false;
  for (int boxes = 0; at < size && boxes < MaxShapeBoxes; ++boxes) {
    const std::string where = " at offset " + std::to_string(at);
    const std::string cutHeader = "not a complete MP4 recording: a box header" + where + " runs past the end of the file";
    if (size - at < 8) return cutHeader;
    unsigned char head[16];
    in.seekg(static_cast<std::streamoff>(at));
    if (!in.read(reinterpret_cast<char*>(head), 8)) return "cannot be read";
    const std::string type(reinterpret_cast<char*>(head + 4), 4);
    if (type == "moov") moov = true;
    uint64_t boxSize = BigEndian(head, 4);
    if (boxSize == 0) {
      boxSize = size - at;  // runs to the end of the file
    } else if (boxSize == 1) {
      if (size - at < 16) return cutHeader;
      if (!in.read(reinterpret_cast<char*>(head + 8), 8)) return "cannot be read";
      boxSize = BigEndian(head + 8, 8);
      if (boxSize < 16) return "not an MP4 recording: no box" + where;
    } else if (boxSize < 8) {
      return "not an MP4 recording: no box" + where;
    }
    if (boxSize > size - at)
      return "not a complete MP4 recording: the box of " + std::to_string(boxSize) + " bytes" + where +
             " runs past the end of the file";
    at += boxSize;
    if (at == size) break;
  }
  if (at < size) return {};  // more boxes than any recording has; not walked further
  if (!moov) return "not an MP4 recording: no movie box";
  return {};
}

}  // namespace korvane::cli
