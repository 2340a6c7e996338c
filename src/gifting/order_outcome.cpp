#include "gifting/order_outcome.h"

#include "text/gbk.h"

namespace gifting {

CommunityKind communityKindOf(const std::string& storedValue) {
  if (storedValue == "0") return CommunityKind::Yile;
  if (storedValue == "1") return CommunityKind::JiuwuBalance;
  if (storedValue == "2") return CommunityKind::JiuwuPoints;
  return CommunityKind::None;
}

const std::string& orderSucceededText() {
  static const std::string t = text::gbk("已下单成功");
  return t;
}

const std::string& orderFailedText() {
  static const std::string t = text::gbk("下单失败");
  return t;
}

}  // namespace gifting
