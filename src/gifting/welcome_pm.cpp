#include "gifting/welcome_pm.h"

#include "config/config_store.h"
#include "hostapi/host_api.h"
#include "net/nickname_lookup.h"
#include "text/date_text.h"
#include "text/gbk.h"
#include "text/search.h"

namespace gifting {

void sendWelcomePm(const std::string& robotQQ, int32_t /*kind*/, const std::string& group,
                   const std::string& /*activeQQ*/, const std::string& passiveQQ) {
  static const std::string nickname = text::gbk("[网名]"), groupNumber = text::gbk("[群号]"),
                           beijingTime = text::gbk("[北京时间]");
  const std::optional<config::ProfileChoice> choice = config::chooseProfile(config::Feature::WelcomePm, group);
  if (!choice) return;
  const std::string profile = choice->profilePath();
  if (!config::settingIsOn(profile, config::SettingId::WelcomePmOn)) return;
  std::string message = config::readSetting(profile, config::SettingId::WelcomePm);
  message = text::replaceAll(message, "[QQ]", passiveQQ);
  message = text::replaceAll(message, nickname, net::NicknameLookup(passiveQQ));
  message = text::replaceAll(message, groupNumber, group);
  message = text::replaceAll(message, beijingTime, text::nowText());
  hostapi::hostApi().SendMsg(robotQQ, 1, "0", passiveQQ, message, -1);
}

}  // namespace gifting
