// Name escaping, UTF-8 repair and the output check shared by the subcommands.
#include "tools/cli/cli_text.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "export/telemetry_text.h"
#include "platform/card_text.h"
#include "platform/utf8_sequence.h"

namespace korvane::cli {

size_t Utf8SequenceLength(std::string_view text) { return korvane::Utf8SequenceLength(text); }

std::string EscapeName(std::string_view bytes) { return EscapeCardText(bytes); }

std::string CsvField(const std::string& text) { return korvane::CsvField(text); }

std::string ValidUtf8(std::string_view bytes) { return korvane::ValidUtf8(bytes); }

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
