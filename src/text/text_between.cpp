#include "text/text_between.h"

#include "text/gbk.h"
#include "text/search.h"

namespace text {

std::string resolveQuotePlaceholder(std::string_view text) {
  static const std::string placeholder = gbk("#引号");
  return replaceAll(text, placeholder, "\"");
}

std::string TextBetween(std::string_view text, std::string_view left, std::string_view right) {
  const std::string l = resolveQuotePlaceholder(left);
  const std::string r = resolveQuotePlaceholder(right);
  const std::size_t a = findText(text, l);
  if (a == npos) return {};
  const std::size_t start = a + l.size();
  const std::size_t b = findText(text, r, start);
  if (b == npos) return {};
  return std::string(text.substr(start, b - start));
}

}  // namespace text
