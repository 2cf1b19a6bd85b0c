#pragma once
// Text found on the card, made safe to print to a terminal or to write into metadata: shared by
// the command-line tool's listings and the viewer's snapshots (standard C++ only).
#include <cstdio>
#include <string>
#include <string_view>

#include "platform/utf8_sequence.h"

namespace korvane {

// Printable ASCII and valid UTF-8 sequences stay as they are; a backslash is written "\\", tab,
// line feed and carriage return "\t", "\n" and "\r", and every other control character (C0, DEL,
// C1) and every byte that is not part of a valid UTF-8 sequence "\xHH" (two upper-case
// hexadecimal digits).
inline std::string EscapeCardText(std::string_view bytes) {
  std::string out;
  size_t at = 0;
  const auto hex = [&out](unsigned char c) {
    char buf[5];
    std::snprintf(buf, sizeof buf, "\\x%02X", c);
    out += buf;
  };
  while (at < bytes.size()) {
    const unsigned char c = static_cast<unsigned char>(bytes[at]);
    const size_t n = Utf8SequenceLength(bytes.substr(at));
    if (n == 0) {
      hex(c);
      ++at;
      continue;
    }
    if (n == 1) {
      switch (c) {
        case '\\': out += "\\\\"; break;
        case '\t': out += "\\t"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        default:
          if (c < 0x20 || c == 0x7F) hex(c);
          else out += static_cast<char>(c);
      }
    } else if (n == 2 && c == 0xC2 && static_cast<unsigned char>(bytes[at + 1]) < 0xA0) {
      // U+0080 to U+009F: the C1 control characters.
      hex(c);
      hex(static_cast<unsigned char>(bytes[at + 1]));
    } else {
      out.append(bytes.substr(at, n));
    }
    at += n;
  }
  return out;
}

} // namespace korvane
