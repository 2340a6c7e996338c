#include "gifting/daily_claim.h"

#include "config/config_store.h"
#include "gifting/claim_register.h"
#include "gifting/claim_replies.h"
#include "gifting/group_reply.h"
#include "gifting/order_service.h"
#include "hostapi/event_kind.h"
#include "text/gbk.h"

namespace gifting {

void handleDailyClaim(const std::string& robotQQ, const std::string& group, const std::string& senderQQ,
                      const std::string& message) {
  using config::SettingId;
  static const std::string switchedOff = text::gbk("当前群未开启每日领取");
  const std::optional<config::ProfileChoice> choice = config::chooseProfile(config::Feature::DailyClaim, group);
  if (!choice) return;
  const std::string profile = choice->profilePath();
  if (message != config::readSetting(profile, SettingId::DailyClaimCommand)) return;

  // A claim is a group message, and so is its reply.
  const auto reply = [&](const std::string& text, int32_t option) {
    sendGroupReply(robotQQ, group, senderQQ, text, profile, hostapi::event_kind::kGroupMessage, option);
  };
  const std::string claimSwitch = config::readSetting(profile, SettingId::DailyClaimOn);
  if (config::isOn(claimSwitch)) {
    const DailyClaimRegister claims(choice->folder);
    if (!claims.claimToday(senderQQ)) {
      reply(buildAlreadyClaimedReply(profile, senderQQ), choice->shared ? 2 : -1);
      return;
    }
    // The claim is recorded (and its lock released) before the order, so a failed order still
    // uses up the day and no lock is held across the HTTP exchange.
    const std::string status = placeOrder(senderQQ, config::readSetting(profile, SettingId::DailyClaimAmount), group);
    reply(buildClaimReply(profile, senderQQ, status), -1);
  } else if (config::isOff(claimSwitch)) {
    reply(switchedOff, -1);
  }
}

}  // namespace gifting
