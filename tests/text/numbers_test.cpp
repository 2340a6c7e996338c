#include "text/numbers.h"

#include <gtest/gtest.h>

using namespace text;

TEST(Numbers, ReadLeadingDecimalNumber) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"100", 100}, {"  38", 38}, {"-5", -5}, {"+7", 7}, {"1.5", 1.5}, {".5", 0.5}, {"12abc", 12},
      {"abc", 0},   {"", 0},      {"-", 0},   {"1e3", 1000}, {"1e", 1}, {"9999", 9999}, {"3.", 3},
  };
  for (const auto& c : cases) EXPECT_DOUBLE_EQ(readNumber(c.text), c.value) << c.text;
}

TEST(Numbers, WriteShortestWithThirteenDigits) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {200, "200"},       {0, "0"},           {-0.0, "0"},       {1.5, "1.5"},
      {0.1 + 0.2, "0.3"}, {1e15, "1000000000000000"}, {-42, "-42"}, {0.000125, "0.000125"},
      {1234567890123.4, "1234567890123"}, {2.0 / 3.0, "0.6666666666667"},
  };
  for (const auto& c : cases) EXPECT_EQ(writeNumber(c.value), c.text) << c.value;
}

TEST(Numbers, PlainDecimalFromScientificForms) {
  // Both printf's %e (padded exponent, trailing zeros) and std::to_chars' shortest form.
  struct Case {
    const char* scientific;
    const char* plain;
  } cases[] = {
      {"-1.250e+02", "-125"}, {"2e+02", "200"}, {"1.5e+00", "1.5"}, {"1e-07", "0.0000001"},
      {"1.234e-3", "0.001234"}, {"9.87654e+3", "9876.54"}, {"1.2e+21", "1200000000000000000000"},
  };
  for (const auto& c : cases) EXPECT_EQ(plainDecimal(c.scientific), c.plain) << c.scientific;
}

TEST(Numbers, ToleranceComparisons) {
  EXPECT_TRUE(numberAtLeast(25, 20));
  EXPECT_TRUE(numberAtLeast(20 - 5e-8, 20));
  EXPECT_FALSE(numberAtLeast(19.9, 20));
  EXPECT_FALSE(numberGreater(1000 + 5e-8, 1000));
  EXPECT_TRUE(numberGreater(1001, 1000));
  EXPECT_TRUE(numberLess(999, 1000));
  EXPECT_FALSE(numberLess(1000, 1000));
}
