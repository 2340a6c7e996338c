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
  static const std::string section = text::gbk("进群私聊"), switchKey = text::gbk("是否开启"),
                           on = text::gbk("真"), off = text::gbk("假"), nickname = text::gbk("[网名]"),
                           groupNumber = text::gbk("[群号]"), beijingTime = text::gbk("[北京时间]");
  const std::string profile = config::ProfilePath(config::IsSharedMode() ? config::defaultFolder() : group);
  if (config::ReadValue(profile, section, switchKey, off) != on) return;
  std::string message = config::ReadValue(profile, section, section);
  message = text::replaceAll(message, "[QQ]", passiveQQ);
  message = text::replaceAll(message, nickname, net::NicknameLookup(passiveQQ));
  message = text::replaceAll(message, groupNumber, group);
  message = text::replaceAll(message, beijingTime, text::nowText());
  hostapi::hostApi().SendMsg(robotQQ, 1, "0", passiveQQ, message, -1);
}

}  // namespace gifting
