// Classification of the camera's "@CMT" comment and the line splitting it uses.
#include "mp4parse/mp4_parser.h"

namespace korvane {

void SplitLines(std::string_view text, std::vector<std::string>& out, int repeat) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t lf = text.find('\n', at);
    const size_t end = lf == std::string_view::npos ? text.size() : lf;
    if (end > at) {
      const std::string line(text.substr(at, end - at));
      for (int i = 0; i < repeat; ++i) out.push_back(line);
    }
    at = end + 1;
  }
}

BlockVerdict ClassifyCommentBlock(std::string_view payload, DataType& dataType,
                                  std::vector<std::string>& lines) {
  if (payload.size() < 10) return BlockVerdict::StopNothing;
  if (payload[0] == '$') {
    dataType = DataTypeDollar;
    SplitLines(payload, lines, 10);
    return BlockVerdict::StopBlock;
  }
  if (payload.substr(0, 8) == "KOVAGPS:") return BlockVerdict::Continue;
  if (payload.substr(0, 3) == "GPS") {
    dataType = DataTypeGps;
    SplitLines(payload.substr(8), lines, 10);  // bytes 0 to 7 are the block header
    return BlockVerdict::StopBlock;
  }
  return BlockVerdict::StopNothing;
}

}  // namespace korvane
