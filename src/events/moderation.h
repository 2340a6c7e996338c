// moderateGroupMessage: punishes forbidden words in a group message (kind 2; the sender is the
// active QQ), first as text inside the message's first picture, then typed in the message. A
// sender caught is banned for 关键词禁言时间 minutes or, with 是否踢出广告 "真", removed; the
// message may be withdrawn, and a notice mentioning him names the word. Senders whose QQ occurs
// anywhere in the whitelist text are exempt. An empty word of the "#" list matches nothing.
//
// The two checks choose their profiles separately, each when it starts; a message whose picture
// and text both hold forbidden words is punished by each check.
#pragma once

#include "events/dispatch_event.h"
#include "config/profile_choice.h"

namespace events {

void moderateGroupMessage(const HostEvent& event);

// The two checks, with the profile already chosen.
// The picture check downloads the picture and asks the recognition service; the recognised text
// is written to the host's log. Only the first forbidden word found is punished.
void checkPictureText(const HostEvent& event, const config::ProfileChoice& profile);
// Every forbidden word the text holds is punished in per-group mode; the first one only in shared mode.
void checkForbiddenWords(const HostEvent& event, const config::ProfileChoice& profile);

}  // namespace events
