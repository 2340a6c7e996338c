// handleDailyClaim: answers the daily claim command of a group message.
//
// The profile and the register are the default ones in shared mode (core switch 真), the group's
// own otherwise. A message exactly equal to 每日领取口令 (fallback "领取名片赞") is a claim. With
// 是否开启每日领取 真: a member who claimed today gets the 今日已领取 reply (option 2 in shared mode,
// -1 otherwise); otherwise the claim is recorded first (so a failed order still uses up the day),
// the order for 名片赞数量/每日领取 is placed and the 每日领取 reply with its status is sent
// (option -1). With 假 (also when absent) the group is told "当前群未开启每日领取"; another value
// does nothing.
#pragma once

#include <cstdint>
#include <string>

namespace gifting {

void handleDailyClaim(const std::string& robotQQ, const std::string& group, const std::string& senderQQ,
                      const std::string& message);

// Sends a claim reply: a text containing "xml" goes out unchanged with Api_SendXML; otherwise a
// group message with `option`, or, when the profile's 软件参数/xml is 真, an XML card.
void sendReply(const std::string& robotQQ, const std::string& group, const std::string& senderQQ,
               const std::string& reply, const std::string& profilePath, int32_t option);

}  // namespace gifting
