// Classification of the camera's "@CMT" comment and the line splitting it uses.
#include "mp4parse/mp4_parser.h"

namespace korvane {

uint64_t SplitLines(std::string_view text, std::vector<std::string>& out, int repeat, size_t keep) {
  uint64_t count = 0;
  size_t at = 0;
  while (at < text.size()) {
    const size_t lf = text.find('\n', at);
    const size_t end = lf == std::string_view::npos ? text.size() : lf;
    if (end > at) {
      for (int i = 0; i < repeat && out.size() < keep; ++i) out.emplace_back(text.substr(at, end - at));
      count += repeat > 0 ? static_cast<uint64_t>(repeat) : 0;
    }
    at = end + 1;
  }
  return count;
}

BlockVerdict ClassifyCommentBlock(std::string_view payload, DataType& dataType,
                                  std::vector<std::string>& lines) {
  uint64_t lineCount = 0;
  return ClassifyCommentBlock(payload, dataType, lines, lineCount);
}

BlockVerdict ClassifyCommentBlock(std::string_view payload, DataType& dataType,
                                  std::vector<std::string>& lines, uint64_t& lineCount) {
  if (payload.size() < 10) return BlockVerdict::StopNothing;
  if (payload[0] == '$') {
    dataType = DataTypeDollar;
    lineCount += SplitLines(payload, lines, 10);
    return BlockVerdict::StopBlock;
  }
  if (payload.substr(0, 8) == "KOVAGPS:") return BlockVerdict::Continue;
  if (payload.substr(0, 3) == "GPS") {
    dataType = DataTypeGps;
    lineCount += SplitLines(payload.substr(8), lines, 10);  // bytes 0 to 7 are the block header
    return BlockVerdict::StopBlock;
  }
  return BlockVerdict::StopNothing;
}

}  // namespace korvane
