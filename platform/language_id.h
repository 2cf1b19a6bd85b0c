#pragma once
// The user's UI language as a numeric language id, derived from the locale variables
// (LC_ALL, LC_MESSAGES, LANG, first one set wins).
#include <string>

namespace korvane {

// Maps a locale name such as "ja_JP.UTF-8" to its language id (0x411); C, POSIX and
// unknown languages give 0x409.
unsigned LanguageIdFromLocale(const std::string& locale);

// The language id of this process's environment.
unsigned UserLanguageId();

// The settings-file section of a language id: "0x" and upper-case hexadecimal digits without
// leading zeros (0x411, 0x804).
std::string LanguageSectionName(unsigned id);

} // namespace korvane
