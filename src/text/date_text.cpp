#include "text/date_text.h"

#include <ctime>
#include <mutex>

#include "text/gbk.h"

namespace text {

namespace {
std::mutex clockMutex;
std::function<LocalTime()>& clockSource() {
  static std::function<LocalTime()> source;
  return source;
}
}  // namespace

LocalTime currentLocalTime() {
  {
    std::lock_guard<std::mutex> lock(clockMutex);
    if (clockSource()) return clockSource()();
  }
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  return LocalTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
}

void setClockSource(std::function<LocalTime()> clock) {
  std::lock_guard<std::mutex> lock(clockMutex);
  clockSource() = std::move(clock);
}

std::string dateText(const LocalTime& t) {
  static const std::string year = gbk("年"), month = gbk("月"), day = gbk("日");
  return std::to_string(t.year) + year + std::to_string(t.month) + month + std::to_string(t.day) + day;
}

std::string dateTimeText(const LocalTime& t) {
  static const std::string hour = gbk("时"), minute = gbk("分"), second = gbk("秒");
  std::string out = dateText(t);
  if (t.second != 0) {
    out += std::to_string(t.hour) + hour + std::to_string(t.minute) + minute + std::to_string(t.second) + second;
  } else if (t.minute != 0) {
    out += std::to_string(t.hour) + hour + std::to_string(t.minute) + minute;
  } else if (t.hour != 0) {
    out += std::to_string(t.hour) + hour;
  }
  return out;
}

std::string todayText() { return dateText(currentLocalTime()); }
std::string nowText() { return dateTimeText(currentLocalTime()); }

}  // namespace text
