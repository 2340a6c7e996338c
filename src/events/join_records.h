// The records of members' arrivals, kept beside the profile in its folder: JoinRecords
// ("入群账号.ini": 已入群号, 上级QQ per member) and InviteStats ("入群数据.ini": 拉入人数, 退群人数,
// 获得名片赞, 上级QQ, 拉入QQ per member). Each section is named by a member's QQ number.
#pragma once

#include <string>
#include <string_view>

namespace events {

std::string joinRecordsPath(std::string_view folder);  // folder + "/入群账号.ini"
std::string inviteStatsPath(std::string_view folder);  // folder + "/入群数据.ini"

// The keys of the two files, GBK.
struct JoinRecordKeys {
  std::string joinedGroup;   // 已入群号 (JoinRecords)
  std::string upline;        // 上级QQ (both files)
  std::string invitedCount;  // 拉入人数
  std::string leftCount;     // 退群人数
  std::string likesEarned;   // 获得名片赞
  std::string invitedList;   // 拉入QQ: "#" + QQ for each member brought in
  std::string noUpline;      // 无: the 上级QQ of a member who came by himself
};
const JoinRecordKeys& joinRecordKeys();

}  // namespace events
