#include "gifting/order_service.h"

#include "config/config_store.h"
#include "gifting/jiuwu_order.h"
#include "gifting/order_outcome.h"
#include "gifting/yile_order.h"

namespace gifting {

std::string placeOrder(const std::string& qq, const std::string& amount, const std::string& group) {
  const std::optional<config::ProfileChoice> choice = config::chooseProfile(config::Feature::Order, group);
  if (!choice) return {};
  const std::string& profileGroup = choice->folder;
  switch (communityKindOf(config::readSetting(choice->profilePath(), config::SettingId::CommunityKind))) {
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
