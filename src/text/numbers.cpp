#include "text/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace text {

namespace {
bool isDigit(char c) { return c >= '0' && c <= '9'; }
}  // namespace

bool isPlainNumber(std::string_view text, std::size_t maxDigits) {
  if (text.empty() || text.size() > maxDigits) return false;
  for (char c : text)
    if (!isDigit(c)) return false;
  return true;
}

double readNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  const std::size_t start = i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t digitsStart = i;
  while (i < text.size() && isDigit(text[i])) ++i;
  bool anyDigit = i > digitsStart;
  if (i < text.size() && text[i] == '.') {
    const std::size_t f = ++i;
    while (i < text.size() && isDigit(text[i])) ++i;
    anyDigit = anyDigit || i > f;
  }
  if (!anyDigit) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    const std::size_t e = j;
    while (j < text.size() && isDigit(text[j])) ++j;
    if (j > e) i = j;
  }
  std::string_view number = text.substr(start, i - start);
  if (!number.empty() && number[0] == '+') number.remove_prefix(1);
  double value = 0;
  const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    return (number[0] == '-') ? -HUGE_VAL : HUGE_VAL;
  }
  return result.ec == std::errc() ? value : 0;
}

std::string writeNumber(double value) {
  if (!std::isfinite(value) || value == 0) return "0";
  // The value as 13 significant digits, then the fewest digits that give the same number.
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.12e", value);
  const double rounded = std::strtod(buf, nullptr);
  for (int precision = 1; precision <= 13; ++precision) {
    std::snprintf(buf, sizeof buf, "%.*e", precision - 1, value);
    if (std::strtod(buf, nullptr) == rounded) break;
  }
  // buf holds d.ddddde±XX: spell it out without an exponent.
  std::string s(buf);
  const bool negative = s[0] == '-';
  if (negative) s.erase(0, 1);
  const std::size_t ePos = s.find('e');
  const int exponent = std::atoi(s.c_str() + ePos + 1);
  std::string digits;
  for (std::size_t k = 0; k < ePos; ++k)
    if (s[k] != '.') digits.push_back(s[k]);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();
  std::string out;
  const int pointAfter = exponent + 1;  // digits before the decimal point
  if (pointAfter <= 0) {
    out = "0." + std::string(static_cast<std::size_t>(-pointAfter), '0') + digits;
  } else if (static_cast<std::size_t>(pointAfter) >= digits.size()) {
    out = digits + std::string(static_cast<std::size_t>(pointAfter) - digits.size(), '0');
  } else {
    out = digits.substr(0, static_cast<std::size_t>(pointAfter)) + "." +
          digits.substr(static_cast<std::size_t>(pointAfter));
  }
  return negative ? "-" + out : out;
}

bool numberAtLeast(double a, double b) { return a - b >= -1e-7; }
bool numberGreater(double a, double b) { return a - b > 1e-7; }
bool numberLess(double a, double b) { return a - b < -1e-7; }

}  // namespace text
