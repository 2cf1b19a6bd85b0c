#pragma once
// The length of a well-formed UTF-8 sequence at the start of some bytes: shared by the viewer's
// file-name handling and the command-line tool's name escaping (standard C++ only).
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace korvane {

// 1 to 4 for a well-formed sequence (no overlong forms, no surrogates, nothing past U+10FFFF),
// 0 for anything else, including empty input.
inline std::size_t Utf8SequenceLength(std::string_view text)
{
    if (text.empty())
        return 0;
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char c = b(0);
    if (c < 0x80)
        return 1;
    std::size_t length = 0;
    std::uint32_t cp = 0;
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
    if (text.size() < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b(i) & 0x3F);
    }
    if ((length == 3 && cp < 0x800) || (length == 4 && cp < 0x10000))
        return 0;  // overlong
    if ((cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF)
        return 0;
    return length;
}

} // namespace korvane
