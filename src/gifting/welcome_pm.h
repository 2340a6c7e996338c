// sendWelcomePm: greets a newcomer (the event's passive QQ) by private message.
//
// The profile is the default one in shared mode (core switch 真), the group's own otherwise. When
// 进群私聊/是否开启 is 真, the text 进群私聊/进群私聊 gets "[QQ]", "[网名]", "[群号]" and "[北京时间]"
// replaced (exact letter case, in that order) and goes out with Api_SendMsg as type 1 to group "0".
#pragma once

#include <cstdint>
#include <string>

namespace gifting {

void sendWelcomePm(const std::string& robotQQ, int32_t kind, const std::string& group,
                   const std::string& activeQQ, const std::string& passiveQQ);

}  // namespace gifting
