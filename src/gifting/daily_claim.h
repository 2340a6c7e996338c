// handleDailyClaim: answers the daily claim command of a group message.
//
// The profile and the register are the default ones in shared mode (core switch 真), the group's
// own otherwise. A message exactly equal to 每日领取口令 (fallback "领取名片赞") is a claim. With
// 是否开启每日领取 真: a member who claimed today gets the 今日已领取 reply (option 2 in shared mode,
// -1 otherwise); otherwise the claim is recorded first (so a failed order still uses up the day),
// the order for 名片赞数量/每日领取 is placed and the 每日领取 reply with its status is sent
// (option -1). With 假 (also when absent) the group is told "当前群未开启每日领取"; another value
// does nothing. Every reply goes out with sendGroupReply, as a card when the profile asks for one.
#pragma once

#include <string>

namespace gifting {

void handleDailyClaim(const std::string& robotQQ, const std::string& group, const std::string& senderQQ,
                      const std::string& message);

}  // namespace gifting
