// TextBetween: the one way a value is cut out of a web reply or a host text.
#pragma once

#include <string>
#include <string_view>

namespace text {

// In both markers every "#引号" is first replaced by a double quote. The left marker is searched
// from the first byte (letter case significant); when found, the right marker is searched from the
// byte after the left marker's end. Returns the text between them, or "" when either is missing.
std::string TextBetween(std::string_view text, std::string_view left, std::string_view right);

// Replaces every "#引号" (the stored spelling of a double quote) by '"'.
std::string resolveQuotePlaceholder(std::string_view text);

}  // namespace text
