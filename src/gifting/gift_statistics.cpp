#include "gifting/gift_statistics.h"

#include <chrono>
#include <string_view>
#include <utility>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "text/gbk.h"
#include "text/numbers.h"
#include "text/search.h"

namespace gifting {

namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;

const Keys* findSection(const std::vector<config::IniSection>& sections, std::string_view name) {
  for (const config::IniSection& s : sections)
    if (s.name.size() == name.size() && text::startsWithIgnoreCase(s.name, name)) return &s.keys;
  return nullptr;
}

std::string valueOf(const Keys* keys, std::string_view key, std::string fallback) {
  if (keys)
    for (const auto& [k, v] : *keys)
      if (k.size() == key.size() && text::startsWithIgnoreCase(k, key)) return v;
  return fallback;
}

}  // namespace

GiftTotals readGiftTotals() {
  static const std::string totalSection = text::gbk("全部名片赞"), totalKey = text::gbk("名片赞"),
                           daySection = text::gbk("每日名片赞");
  const std::string path = config::LedgerPath();
  return GiftTotals{config::ReadValue(path, totalSection, totalKey, "0"),
                    config::ReadValue(path, daySection, text::todayText(), "0")};
}

std::vector<DayLikes> likesPerDay(int days) {
  static const std::string daySection = text::gbk("每日名片赞");
  const std::vector<config::IniSection> sections = config::readIniSections(config::LedgerPath());
  const Keys* perDay = findSection(sections, daySection);
  const text::LocalTime now = text::currentLocalTime();
  using namespace std::chrono;
  const sys_days today{year{now.year} / month{unsigned(now.month)} / day{unsigned(now.day)}};
  std::vector<DayLikes> out;
  for (int back = days - 1; back >= 0; --back) {
    const year_month_day d{today - std::chrono::days{back}};
    const text::LocalTime t{int(d.year()), int(unsigned(d.month())), int(unsigned(d.day())), 0, 0, 0};
    out.push_back(DayLikes{t, text::readNumber(valueOf(perDay, text::dateText(t), "0"))});
  }
  return out;
}

std::vector<MemberStatistics> readInviteStatistics(const std::string& gbkFolder) {
  static const std::string invited = text::gbk("拉入人数"), left = text::gbk("退群人数"), likes = text::gbk("获得名片赞");
  std::vector<MemberStatistics> members;
  for (const config::IniSection& s : config::readIniSections(config::RecordsPath(gbkFolder, text::gbk("入群数据.ini"))))
    members.push_back(MemberStatistics{s.name, valueOf(&s.keys, invited, ""), valueOf(&s.keys, left, ""),
                                       valueOf(&s.keys, likes, "")});
  return members;
}

}  // namespace gifting
