#include "text/search.h"

#include <cstring>

#include "text/gbk.h"

namespace text {

namespace {

char foldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Does `needle` match `haystack` at boundary `pos`, folding only single-byte ASCII letters?
bool matchesIgnoreCaseAt(std::string_view haystack, std::size_t pos, std::string_view needle) {
  if (haystack.size() - pos < needle.size()) return false;
  std::size_t k = 0;
  while (k < needle.size()) {
    const std::size_t len = gbkCharLength(haystack, pos + k);
    if (len == 2) {
      if (k + 2 > needle.size() || haystack[pos + k] != needle[k] || haystack[pos + k + 1] != needle[k + 1])
        return false;
    } else if (foldAscii(haystack[pos + k]) != foldAscii(needle[k])) {
      return false;
    }
    k += len;
  }
  return true;
}

template <bool IgnoreCase>
std::size_t findImpl(std::string_view haystack, std::string_view needle, std::size_t from) {
  if (from > haystack.size()) return npos;
  if (needle.empty()) return from;
  const char first = IgnoreCase ? foldAscii(needle[0]) : needle[0];
  for (std::size_t i = from; i + needle.size() <= haystack.size(); i += gbkCharLength(haystack, i)) {
    const char c = IgnoreCase ? foldAscii(haystack[i]) : haystack[i];
    if (c != first) continue;
    if (IgnoreCase) {
      if (matchesIgnoreCaseAt(haystack, i, needle)) return i;
    } else if (std::memcmp(haystack.data() + i, needle.data(), needle.size()) == 0) {
      return i;
    }
  }
  return npos;
}

template <bool IgnoreCase>
std::string replaceImpl(std::string_view text, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  std::size_t start = 0;
  while (true) {
    const std::size_t hit = findImpl<IgnoreCase>(text, from, start);
    if (hit == npos) break;
    out.append(text.substr(start, hit - start));
    out.append(to);
    start = hit + from.size();
  }
  out.append(text.substr(start));
  return out;
}

}  // namespace

std::size_t findText(std::string_view haystack, std::string_view needle, std::size_t from) {
  return findImpl<false>(haystack, needle, from);
}

std::size_t findTextIgnoreCase(std::string_view haystack, std::string_view needle, std::size_t from) {
  return findImpl<true>(haystack, needle, from);
}

bool containsText(std::string_view haystack, std::string_view needle) {
  return findText(haystack, needle) != npos;
}

bool containsTextIgnoreCase(std::string_view haystack, std::string_view needle) {
  return findTextIgnoreCase(haystack, needle) != npos;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && matchesIgnoreCaseAt(text, 0, prefix);
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
  return replaceImpl<false>(text, from, to);
}

std::string replaceAllIgnoreCase(std::string_view text, std::string_view from, std::string_view to) {
  return replaceImpl<true>(text, from, to);
}

std::vector<std::string> splitPieces(std::string_view text, std::string_view separator) {
  std::vector<std::string> pieces;
  if (text.empty()) return pieces;
  if (separator.empty()) {
    pieces.emplace_back(text);
    return pieces;
  }
  std::size_t start = 0;
  while (true) {
    const std::size_t hit = findText(text, separator, start);
    if (hit == npos) break;
    pieces.emplace_back(text.substr(start, hit - start));
    start = hit + separator.size();
  }
  if (start < text.size()) pieces.emplace_back(text.substr(start));
  return pieces;
}

std::vector<std::string> splitWordList(std::string_view list) { return splitPieces(list, "#"); }

std::string asciiLower(std::string_view text) {
  std::string out(text);
  for (std::size_t i = 0; i < out.size();) {
    const std::size_t len = gbkCharLength(out, i);
    if (len == 1) out[i] = foldAscii(out[i]);
    i += len;
  }
  return out;
}

namespace {
std::string trimSet(std::string_view text, std::string_view set) {
  const std::size_t b = text.find_first_not_of(set);
  if (b == std::string_view::npos) return {};
  const std::size_t e = text.find_last_not_of(set);
  return std::string(text.substr(b, e - b + 1));
}
}  // namespace

std::string trimSpaces(std::string_view text) { return trimSet(text, " "); }
std::string trimBlanks(std::string_view text) { return trimSet(text, " \t"); }

}  // namespace text
