// OrderOutcome and CommunityKind: what both community order routines share.
#pragma once

#include <string>

namespace gifting {

// 对接参数/社区类型 of a profile: "0" 亿乐, "1" 玖伍 paid from the balance, "2" 玖伍 paid with points;
// any other text places no order.
enum class CommunityKind { Yile, JiuwuBalance, JiuwuPoints, None };
CommunityKind communityKindOf(const std::string& storedValue);

// The result of one order. Callers of placeOrder see only `status`; the flag and the detail (the
// site's message for 亿乐, the order number for 玖伍) feed the ledger and the run log.
struct OrderOutcome {
  bool success = false;
  std::string status;  // "已下单成功" or "下单失败" (GBK)
  std::string detail;
};

const std::string& orderSucceededText();  // "已下单成功"
const std::string& orderFailedText();     // "下单失败"

}  // namespace gifting
