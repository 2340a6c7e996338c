// handleMemberJoin: a member joined (kind 212; the newcomer is the passive QQ) or was invited
// (kind 219; the inviter is the active QQ). At his first arrival in the records folder the member
// is recorded, credited and rewarded with likes (the inviter too), and the 入群消息 or 邀请消息
// reply is posted; a returning member gets the 重复入群 reply only. A member is rewarded once per
// records folder, in shared and per-group mode alike.
//
// The duplicate test and every record write of one arrival run under the records folder's lock,
// so concurrent arrivals lose no count and reward nobody twice; the lock is released before any
// order goes out. A folder that does not exist is not created: its writes fail silently.
#pragma once

#include "events/dispatch_event.h"
#include "config/profile_choice.h"

namespace events {

void handleMemberJoin(const HostEvent& event, const config::ProfileChoice& profile);

}  // namespace events
