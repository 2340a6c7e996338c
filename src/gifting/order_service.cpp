#include "gifting/order_service.h"

#include "config/config_store.h"
#include "gifting/jiuwu_order.h"
#include "gifting/order_outcome.h"
#include "gifting/yile_order.h"
#include "text/gbk.h"

namespace gifting {

std::string placeOrder(const std::string& qq, const std::string& amount, const std::string& group) {
  static const std::string section = text::gbk("对接参数"), key = text::gbk("社区类型");
  std::string profileGroup;
  switch (config::readSharedSwitch()) {
    case config::SharedSwitch::On:
      profileGroup = config::defaultFolder();
      break;
    case config::SharedSwitch::Off:
    case config::SharedSwitch::Absent:
      profileGroup = group;
      break;
    case config::SharedSwitch::Other:
      return {};
  }
  switch (communityKindOf(config::ReadValue(config::ProfilePath(profileGroup), section, key, "0"))) {
    case CommunityKind::Yile:
      return placeYileOrder(qq, amount, profileGroup).status;
    case CommunityKind::JiuwuBalance:
      return placeJiuwuOrder(qq, amount, profileGroup, 0).status;
    case CommunityKind::JiuwuPoints:
      return placeJiuwuOrder(qq, amount, profileGroup, 1).status;
    case CommunityKind::None:
      break;
  }
  return {};
}

}  // namespace gifting
