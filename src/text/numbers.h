// Numbers stored as decimal text.
//
// Reading takes the leading decimal number of a text (blanks, an optional sign, digits, an optional
// fraction and exponent); a text that does not start with a number reads as 0. Writing gives the
// shortest decimal form with at most 13 significant digits and never an exponent: a whole number
// has no fraction (200, not 200.0).
#pragma once

#include <string>
#include <string_view>

namespace text {

double readNumber(std::string_view text);

// A plain decimal number as the host names QQ accounts and groups: 1 to `maxDigits` ASCII digits,
// nothing else (no sign, blank, point or exponent).
bool isPlainNumber(std::string_view text, std::size_t maxDigits = 20);
std::string writeNumber(double value);

// Comparisons of numbers taken from texts, with a tolerance of 1e-7.
bool numberAtLeast(double a, double b);   // a - b >= -1e-7
bool numberGreater(double a, double b);   // a - b >  1e-7
bool numberLess(double a, double b);      // a - b <  -1e-7

}  // namespace text
