// UnescapeText: turns a site reply with \uXXXX and %XX escapes into readable GBK text, the way a
// single-quoted script string literal followed by unescape() would read it, with the fallback
// decoder for texts that are not a valid literal. No script engine. Never fails.
#pragma once

#include <string>

namespace parse {

std::string UnescapeText(const std::string& text);

}  // namespace parse
