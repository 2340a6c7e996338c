#include "text/date_text.h"

#include <gtest/gtest.h>

#include <ctime>
#include <tuple>

#include "text/gbk.h"

using namespace text;

TEST(DateText, Forms) {
  struct Case {
    LocalTime t;
    const char* date;
    const char* dateTime;
  } cases[] = {
      {{2024, 3, 5, 14, 7, 9}, "2024年3月5日", "2024年3月5日14时7分9秒"},
      {{2024, 3, 5, 14, 7, 0}, "2024年3月5日", "2024年3月5日14时7分"},
      {{2024, 3, 5, 14, 0, 0}, "2024年3月5日", "2024年3月5日14时"},
      {{2024, 3, 5, 0, 0, 0}, "2024年3月5日", "2024年3月5日"},
      {{2024, 12, 31, 0, 0, 5}, "2024年12月31日", "2024年12月31日0时0分5秒"},
      {{2024, 3, 5, 9, 30, 0}, "2024年3月5日", "2024年3月5日9时30分"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(gbkToUtf8(dateText(c.t)), c.date);
    EXPECT_EQ(gbkToUtf8(dateTimeText(c.t)), c.dateTime);
  }
}

TEST(DateText, InjectedClock) {
  setClockSource([] { return LocalTime{2030, 1, 2, 3, 4, 5}; });
  EXPECT_EQ(gbkToUtf8(todayText()), "2030年1月2日");
  EXPECT_EQ(gbkToUtf8(nowText()), "2030年1月2日3时4分5秒");
  // An empty clock restores the machine's: the time read lies between two readings of the
  // machine's local time taken around it, whatever today's date is.
  setClockSource({});
  const auto machineNow = [] {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    localtime_r(&now, &tm);
    return std::tuple(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
  };
  const auto before = machineNow();
  const LocalTime t = currentLocalTime();
  const auto after = machineNow();
  const auto read = std::tuple(t.year, t.month, t.day, t.hour, t.minute, t.second);
  EXPECT_LE(before, read);
  EXPECT_LE(read, after);
}
