// The box walk, the comment classification and the text-sample reading over arbitrary files.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "mp4parse/binary_stream.h"
#include "mp4parse/mp4_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/korvane-fuzz-walk-" + std::to_string(getpid()) + ".MP4";
  // A fresh file each time: truncating an existing one makes ext4 flush it to disk.
  std::remove(path.c_str());
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  korvane::Mp4Parser parser;
  const korvane::DataType type = parser.Load(path);
  // What a load reports must be consistent with its lines.
  if (type == korvane::DataTypeNone && !parser.lines.empty()) __builtin_trap();
  if (type == korvane::DataTypeSubtitle && parser.lines.size() != parser.textSampleCount) __builtin_trap();
  for (const std::string& line : parser.lines)
    if (type == korvane::DataTypeSubtitle && line.size() >= korvane::TextSampleBuffer) __builtin_trap();
  return 0;
}
