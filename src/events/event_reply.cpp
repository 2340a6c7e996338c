#include "events/event_reply.h"

#include "config/config_store.h"
#include "gifting/xml_card.h"
#include "hostapi/host_api.h"
#include "text/gbk.h"
#include "text/search.h"

namespace events {

void sendEventReply(const HostEvent& event, const std::string& profilePath, const std::string& text) {
  static const std::string kSoftware = text::gbk("软件参数");
  static const std::string kTrue = text::gbk("真");
  hostapi::HostApi& api = hostapi::hostApi();
  if (text::containsText(text, "xml")) {
    api.SendXML(event.robotQQ, 1, 2, event.group, event.activeQQ, text, 2);
    return;
  }
  if (config::ReadValue(profilePath, kSoftware, "xml") != kTrue) {
    api.SendMsg(event.robotQQ, event.kind, event.group, event.activeQQ, text, 0);
    return;
  }
  api.SendXML(event.robotQQ, 1, 2, event.group, event.activeQQ, gifting::buildXmlCard(text), 2);
}

}  // namespace events
