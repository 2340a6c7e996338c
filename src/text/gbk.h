// GBK text: the code page of every text inside the plug-in.
//
// A GBK character is one byte (below 0x81, or 0x80 / 0xFF) or two bytes (a lead byte 0x81..0xFE
// followed by a trail byte 0x40..0xFE other than 0x7F). A trail byte can equal an ASCII byte such
// as '[', ']', '\' or a letter, so code that walks GBK text steps by characters, never by bytes.
//
// Conversions never throw and never fail: a byte sequence the other side cannot represent becomes
// one '?' and the conversion goes on with the next byte (decoding) or the next character (encoding).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// Number of bytes (1 or 2) of the GBK character that starts at `pos` of `s`. A lead byte without a
// valid trail byte after it counts as one byte. `pos` must be below s.size().
std::size_t gbkCharLength(std::string_view s, std::size_t pos);

// True when `pos` is the start of a character (walking from the beginning of `s`).
bool isCharBoundary(std::string_view s, std::size_t pos);

std::string gbkToUtf8(std::string_view gbk);
std::string utf8ToGbk(std::string_view utf8);

// The GBK spelling of a literal written in this UTF-8 source: `static const std::string kTag =
// gbk("入群消息");`. Keep the result in a static where it is used often.
inline std::string gbk(std::string_view utf8Literal) { return utf8ToGbk(utf8Literal); }

// Converts between GBK and any charset glibc's iconv knows (for example "utf-8", "big5").
// An unknown charset name returns the input unchanged and sets *known to false when given.
std::string charsetToGbk(std::string_view bytes, std::string_view charset, bool* known = nullptr);

}  // namespace text
