// replyToKeyword: answers a group message (kind 2) from the profile's keyword library 关键词回复/词库,
// entries separated by "[换行]", each a keyword, "---" and a reply in which "[/n]" is a line
// break. 消息匹配模式 "0" (or absent) answers a message equal to a keyword, "1" a message that
// contains one (an empty keyword is in every non-empty message), anything else nothing. The first
// matching entry in library order wins; an entry without a keyword-and-reply pair is skipped.
#pragma once

#include "events/dispatch_event.h"
#include "config/profile_choice.h"

namespace events {

void replyToKeyword(const HostEvent& event, const config::ProfileChoice& profile);

}  // namespace events
