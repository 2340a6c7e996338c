// Date and time texts, and the clock they are read from.
//
// dateText: 2024年3月5日 (no leading zeros). dateTimeText: the date directly followed by
// 14时7分9秒; with zero seconds 14时7分, with zero minutes and seconds 14时, at midnight exactly
// nothing after the date. Both are GBK. The clock is the machine's local time unless a test
// installs its own.
#pragma once

#include <functional>
#include <string>

namespace text {

struct LocalTime {
  int year = 1970, month = 1, day = 1, hour = 0, minute = 0, second = 0;
};

LocalTime currentLocalTime();

// Installs a clock for tests; an empty function restores the machine's clock. Process-wide.
void setClockSource(std::function<LocalTime()> clock);

std::string dateText(const LocalTime& t);
std::string dateTimeText(const LocalTime& t);

// Of the current moment.
std::string todayText();
std::string nowText();

}  // namespace text
