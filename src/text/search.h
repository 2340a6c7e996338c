// Searching, replacing and splitting GBK text.
//
// Every operation matches only at character boundaries of the searched text, so a needle never
// matches across the trail byte of a two-byte character. Positions count bytes. The "IgnoreCase"
// variants fold the 26 ASCII letters only and never touch a byte that is part of a two-byte character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace text {

inline constexpr std::size_t npos = std::string_view::npos;

// First position at or after `from` (which must be a character boundary) where `needle` starts,
// or npos. An empty needle is found at `from` when from <= size.
std::size_t findText(std::string_view haystack, std::string_view needle, std::size_t from = 0);
std::size_t findTextIgnoreCase(std::string_view haystack, std::string_view needle, std::size_t from = 0);

bool containsText(std::string_view haystack, std::string_view needle);
bool containsTextIgnoreCase(std::string_view haystack, std::string_view needle);
bool startsWithIgnoreCase(std::string_view text, std::string_view prefix);

// Replaces every occurrence, scanning left to right; inserted text is not searched again.
// An empty `from` leaves the text unchanged.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
std::string replaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to);

// Splits at every separator. An empty text gives no pieces; the text before the first separator,
// between two separators and after the last separator each give one piece, except that an empty
// piece after the last separator is dropped. An empty separator gives the whole text as one piece.
std::vector<std::string> splitPieces(std::string_view text, std::string_view separator);

// A "#"-separated word list (forbidden words, name and signature keywords): splitPieces at "#".
std::vector<std::string> splitWordList(std::string_view list);

// ASCII letters lowered; two-byte characters unchanged.
std::string asciiLower(std::string_view text);

// Removes ASCII blanks (space) from both ends.
std::string trimSpaces(std::string_view text);
// Removes blanks and tabs from both ends.
std::string trimBlanks(std::string_view text);

}  // namespace text
