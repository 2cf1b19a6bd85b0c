// Name escaping, UTF-8 repair and the output check shared by the subcommands.
#include "tools/cli/cli_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/utf8_sequence.h"

namespace korvane::cli {

size_t Utf8SequenceLength(std::string_view text) { return korvane::Utf8SequenceLength(text); }

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
