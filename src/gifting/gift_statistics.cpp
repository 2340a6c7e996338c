#include "gifting/gift_statistics.h"

#include <chrono>
#include <string_view>
#include <unordered_set>
#include <utility>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "text/gbk.h"
#include "text/numbers.h"
#include "text/search.h"

namespace gifting {

namespace {

using Keys = std::vector<std::pair<std::string, std::string>>;
struct Section {
  std::string name;
  Keys keys;
};

bool sameName(std::string_view a, std::string_view b) { return a.size() == b.size() && text::startsWithIgnoreCase(a, b); }

std::string_view trimmed(std::string_view s) {
  const std::size_t b = s.find_first_not_of(" \t");
  if (b == std::string_view::npos) return {};
  return s.substr(b, s.find_last_not_of(" \t") - b + 1);
}

// Every section of an INI file with its keys, in file order. A section or key whose name came
// earlier is skipped, as the INI reader only ever finds the first.
std::vector<Section> readSections(const std::string& path) {
  const std::string data = config::readWholeFile(path);
  std::vector<Section> sections;
  std::unordered_set<std::string> names;  // ASCII-lowered section names seen
  Section* current = nullptr;
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t end = pos;
    while (end < data.size() && data[end] != '\r' && data[end] != '\n') ++end;
    const std::string_view line = trimmed(std::string_view(data).substr(pos, end - pos));
    pos = end + (end + 1 < data.size() && data[end] == '\r' && data[end + 1] == '\n' ? 2 : 1);
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      std::size_t close = std::string_view::npos;  // the last ']' that starts a character
      for (std::size_t i = 1; i < line.size(); i += text::gbkCharLength(line, i))
        if (line[i] == ']') close = i;
      if (close != std::string_view::npos) {
        const std::string_view name = trimmed(line.substr(1, close - 1));
        current = nullptr;
        if (names.insert(text::asciiLower(name)).second) current = &sections.emplace_back(Section{std::string(name), {}});
        continue;
      }
    }
    const std::size_t eq = line.find('=');
    if (!current || eq == std::string_view::npos) continue;
    const std::string_view key = trimmed(line.substr(0, eq));
    bool seen = false;
    for (const auto& [k, v] : current->keys) seen |= sameName(k, key);
    if (!seen) current->keys.emplace_back(std::string(key), std::string(trimmed(line.substr(eq + 1))));
  }
  return sections;
}

const Keys* findSection(const std::vector<Section>& sections, std::string_view name) {
  for (const Section& s : sections)
    if (sameName(s.name, name)) return &s.keys;
  return nullptr;
}

std::string valueOf(const Keys* keys, std::string_view key, std::string fallback) {
  if (keys)
    for (const auto& [k, v] : *keys)
      if (sameName(k, key)) return v.substr(0, config::kMaxValueBytes);
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
  const std::vector<Section> sections = readSections(config::LedgerPath());
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
  for (const Section& s : readSections(config::RecordsPath(gbkFolder, text::gbk("入群数据.ini"))))
    members.push_back(MemberStatistics{s.name, valueOf(&s.keys, invited, ""), valueOf(&s.keys, left, ""),
                                       valueOf(&s.keys, likes, "")});
  return members;
}

}  // namespace gifting
