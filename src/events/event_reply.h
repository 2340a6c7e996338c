// sendEventReply: how the join and keyword features post a finished reply into the event's group.
// A text that holds "xml" already is a card and goes out unchanged; otherwise the profile's
// 软件参数/xml switch decides between a plain message (type = the event's kind) and a card built
// from the text's lines. The reply is always addressed to the event's group and active QQ.
#pragma once

#include <string>

#include "events/dispatch_event.h"

namespace events {

void sendEventReply(const HostEvent& event, const std::string& profilePath, const std::string& text);

}  // namespace events
