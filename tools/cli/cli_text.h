// Text forms the subcommands print: names escaped so that no byte can be misread, names made
// valid UTF-8, and the check that everything printed reached its destination.
#pragma once

#include <string>
#include <string_view>

namespace korvane::cli {

// The length of the well-formed UTF-8 sequence at the start of `text` (1 to 4), or 0 when the
// first byte does not start one (stray continuation, overlong form, surrogate, above U+10FFFF,
// cut short).
size_t Utf8SequenceLength(std::string_view text);

// One line's worth of a name for a listing: printable ASCII and valid UTF-8 sequences stay as
// they are; a backslash is written "\\", tab, line feed and carriage return "\t", "\n" and "\r",
// and every other control character (C0, DEL, C1) and every byte that is not part of a valid
// UTF-8 sequence "\xHH" (two upper-case hexadecimal digits).
std::string EscapeName(std::string_view bytes);

// `bytes` with every byte that is not part of a valid UTF-8 sequence replaced by U+FFFD.
std::string ValidUtf8(std::string_view bytes);

// A CSV field (RFC 4180): one holding a comma, a quote or a line break is quoted, quotes doubled.
std::string CsvField(const std::string& text);

// Flushes standard output and checks that every write to it succeeded. Returns true, or prints
// "korvane-cli: cannot write the output: <reason>" to stderr and returns false.
bool FinishOutput();

}  // namespace korvane::cli
