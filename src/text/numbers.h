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
std::string writeNumber(double value);

// Comparisons of numbers taken from texts, with a tolerance of 1e-7.
bool numberAtLeast(double a, double b);   // a - b >= -1e-7
bool numberGreater(double a, double b);   // a - b >  1e-7
bool numberLess(double a, double b);      // a - b <  -1e-7

}  // namespace text
