// Name escaping, UTF-8 repair and the output check shared by the subcommands.
#include "tools/cli/cli_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/card_text.h"
#include "platform/utf8_sequence.h"

namespace korvane::cli {

size_t Utf8SequenceLength(std::string_view text) { return korvane::Utf8SequenceLength(text); }

std::string EscapeName(std::string_view bytes) { return EscapeCardText(bytes); }

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  return out + "\"";
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
