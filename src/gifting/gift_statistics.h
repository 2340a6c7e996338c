// What the settings window shows of the gifting records, read-only: the two counters of the gift
// ledger, the likes of each of the last days, and the invitation statistics of a records folder.
//
// Values come back as the files hold them (GBK text); a missing file, section or key reads as "0"
// for the counters and as 0 for the day figures. Each call reads its file once, with the INI
// reader's rules for names (ASCII letter case ignored, the first of two equal sections or keys
// counts), and writes nothing.
#pragma once

#include <string>
#include <vector>

#include "text/date_text.h"

namespace gifting {

struct GiftTotals {
  std::string total;  // 全部名片赞 / 名片赞
  std::string today;  // 每日名片赞 / today's date text
};
GiftTotals readGiftTotals();

struct DayLikes {
  text::LocalTime day;  // midnight of the day
  double likes = 0;
};
// `days` entries, oldest first, ending with today (the clock of text/date_text.h).
std::vector<DayLikes> likesPerDay(int days);

// One member of "入群数据.ini": the section's QQ and three of its keys as stored ("" when absent).
struct MemberStatistics {
  std::string qq;
  std::string invited;  // 拉入人数
  std::string left;     // 退群人数
  std::string likes;    // 获得名片赞
};
// Every section of the folder's "入群数据.ini" in file order; none for a missing file.
std::vector<MemberStatistics> readInviteStatistics(const std::string& gbkFolder);

}  // namespace gifting
