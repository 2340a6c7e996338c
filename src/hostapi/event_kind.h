// EventKind: the numbers by which the host names the events it hands to IR_Event. Only these
// kinds are acted on; every other kind is ignored.
#pragma once

#include <cstdint>

namespace hostapi::event_kind {

constexpr int32_t kGroupMessage = 2;      // a message posted in a group; active QQ = sender
constexpr int32_t kMemberJoined = 212;    // a member joined; passive QQ = the newcomer
constexpr int32_t kJoinRequest = 213;     // a request to join; active QQ = applicant
constexpr int32_t kJoinRequestProposed = 214;  // a request proposed by a member
constexpr int32_t kJoinRequestOther = 215;     // a further kind of join request
constexpr int32_t kMemberInvited = 219;   // a member was invited; active QQ = inviter

constexpr bool isJoinRequest(int32_t kind) {
  return kind == kJoinRequest || kind == kJoinRequestProposed || kind == kJoinRequestOther;
}

}  // namespace hostapi::event_kind
