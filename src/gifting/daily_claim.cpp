#include "gifting/daily_claim.h"

#include "config/config_store.h"
#include "gifting/claim_register.h"
#include "gifting/claim_replies.h"
#include "gifting/order_service.h"
#include "gifting/xml_card.h"
#include "hostapi/host_api.h"
#include "text/gbk.h"
#include "text/search.h"

namespace gifting {

void sendReply(const std::string& robotQQ, const std::string& group, const std::string& senderQQ,
               const std::string& reply, const std::string& profilePath, int32_t option) {
  static const std::string section = text::gbk("软件参数"), on = text::gbk("真");
  hostapi::HostApi& api = hostapi::hostApi();
  if (text::containsText(reply, "xml")) {
    api.SendXML(robotQQ, 1, 2, group, senderQQ, reply, 2);
  } else if (config::ReadValue(profilePath, section, "xml") != on) {
    api.SendMsg(robotQQ, 2, group, senderQQ, reply, option);
  } else {
    api.SendXML(robotQQ, 1, 2, group, senderQQ, buildXmlCard(reply), 2);
  }
}

void handleDailyClaim(const std::string& robotQQ, const std::string& group, const std::string& senderQQ,
                      const std::string& message) {
  static const std::string softwareSection = text::gbk("软件参数"), commandKey = text::gbk("每日领取口令"),
                           defaultCommand = text::gbk("领取名片赞"), switchKey = text::gbk("是否开启每日领取"),
                           amountsSection = text::gbk("名片赞数量"), amountKey = text::gbk("每日领取"),
                           on = text::gbk("真"), off = text::gbk("假"),
                           switchedOff = text::gbk("当前群未开启每日领取");
  const bool shared = config::IsSharedMode();
  const std::string folder = shared ? config::defaultFolder() : group;
  const std::string profile = config::ProfilePath(folder);
  if (message != config::ReadValue(profile, softwareSection, commandKey, defaultCommand)) return;

  const std::string claimSwitch = config::ReadValue(profile, softwareSection, switchKey, off);
  if (claimSwitch == on) {
    const DailyClaimRegister claims(folder);
    if (!claims.claimToday(senderQQ)) {
      sendReply(robotQQ, group, senderQQ, buildAlreadyClaimedReply(profile, senderQQ), profile, shared ? 2 : -1);
      return;
    }
    // The claim is recorded (and its lock released) before the order, so a failed order still
    // uses up the day and no lock is held across the HTTP exchange.
    const std::string amount = config::ReadValue(profile, amountsSection, amountKey);
    const std::string status = placeOrder(senderQQ, amount, group);
    sendReply(robotQQ, group, senderQQ, buildClaimReply(profile, senderQQ, status), profile, -1);
  } else if (claimSwitch == off) {
    sendReply(robotQQ, group, senderQQ, switchedOff, profile, -1);
  }
}

}  // namespace gifting
