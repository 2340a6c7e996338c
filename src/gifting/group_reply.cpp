#include "gifting/group_reply.h"

#include "config/settings_schema.h"
#include "gifting/xml_card.h"
#include "hostapi/host_api.h"
#include "text/search.h"

namespace gifting {

void sendGroupReply(const std::string& robotQQ, const std::string& group, const std::string& qq,
                    const std::string& text, const std::string& profilePath, int32_t messageType,
                    int32_t option) {
  hostapi::HostApi& api = hostapi::hostApi();
  if (text::containsText(text, "xml")) {
    api.SendXML(robotQQ, 1, 2, group, qq, text, 2);
  } else if (!config::settingIsOn(profilePath, config::SettingId::CardReplies)) {
    api.SendMsg(robotQQ, messageType, group, qq, text, option);
  } else {
    api.SendXML(robotQQ, 1, 2, group, qq, buildXmlCard(text), 2);
  }
}

}  // namespace gifting
