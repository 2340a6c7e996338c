#include "events/dispatch_event.h"

#include "config/profile_choice.h"
#include "events/join_screening.h"
#include "events/keyword_reply.h"
#include "events/member_join.h"
#include "events/moderation.h"
#include "gifting/daily_claim.h"
#include "gifting/welcome_pm.h"
#include "hostapi/event_kind.h"

namespace events {

// No feature stops a later one: a claim is still moderated, a punished message still answered.
void dispatchEvent(const HostEvent& event) {
  using namespace hostapi::event_kind;
  const int32_t kind = event.kind;
  if (kind == kGroupMessage) gifting::handleDailyClaim(event.robotQQ, event.group, event.activeQQ, event.message);
  if (kind == kMemberJoined)
    gifting::sendWelcomePm(event.robotQQ, kind, event.group, event.activeQQ, event.passiveQQ);
  if (isJoinRequest(kind)) {
    if (auto profile = config::chooseProfile(config::Feature::JoinScreening, event.group)) screenJoinRequest(event, *profile);
  }
  if (kind == kMemberJoined || kind == kMemberInvited) {
    if (auto profile = config::chooseProfile(config::Feature::MemberJoin, event.group)) handleMemberJoin(event, *profile);
  }
  if (kind == kGroupMessage) {
    moderateGroupMessage(event);
    if (auto profile = config::chooseProfile(config::Feature::KeywordReply, event.group)) replyToKeyword(event, *profile);
  }
}

}  // namespace events
