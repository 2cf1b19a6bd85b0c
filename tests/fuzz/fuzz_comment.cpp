// The "@CMT" classification and line splitting over arbitrary payloads.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "mp4parse/mp4_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view payload(reinterpret_cast<const char*>(data), size);
  korvane::DataType type = korvane::DataTypeNone;
  std::vector<std::string> lines;
  const korvane::BlockVerdict v = korvane::ClassifyCommentBlock(payload, type, lines);
  if (v != korvane::BlockVerdict::StopBlock && !lines.empty()) __builtin_trap();
  if (lines.size() % 10 != 0) __builtin_trap();
  for (const std::string& l : lines)
    if (l.empty() || l.find('\n') != std::string::npos) __builtin_trap();
  return 0;
}
