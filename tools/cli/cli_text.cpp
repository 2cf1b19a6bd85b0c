// Name escaping, UTF-8 repair and the output check shared by the subcommands.
#include "tools/cli/cli_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace korvane::cli {

size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto b = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char c = b(0);
  if (c < 0x80) return 1;
  size_t length = 0;
  uint32_t cp = 0;
  if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((b(i) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i) & 0x3F);
  }
  if ((length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000)) return 0;  // overlong
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return 0;
  return length;
}

std::string EscapeName(std::string_view bytes) {
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

std::string ValidUtf8(std::string_view bytes) {
  std::string out;
  size_t at = 0;
  while (at < bytes.size()) {
    const size_t n = Utf8SequenceLength(bytes.substr(at));
    if (n == 0) {
      out += "\xEF\xBF\xBD";
      ++at;
    } else {
      out.append(bytes.substr(at, n));
      at += n;
    }
  }
  return out;
}

bool FinishOutput() {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && !std::ferror(stdout)) return true;
  const int error = errno;
  std::fprintf(stderr, "korvane-cli: cannot write the output: %s\n",
               error != 0 ? std::strerror(error) : "write error");
  return false;
}

}  // namespace korvane::cli
