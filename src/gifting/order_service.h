// OrderService: the single entry point for a like order placed on behalf of a group.
//
// placeOrder picks the profile by the core switch (真: the default profile, shown as "默认配置";
// 假 or absent: the group's own; any other text: no order), reads its 社区类型 (absent: "0") and
// hands the order to the 亿乐 or 玖伍 routine. Returns "已下单成功", "下单失败", or "" when no
// routine applies (then nothing is sent, logged or counted). Blocks for the HTTP exchange.
#pragma once

#include <string>

namespace gifting {

std::string placeOrder(const std::string& qq, const std::string& amount, const std::string& group);

}  // namespace gifting
