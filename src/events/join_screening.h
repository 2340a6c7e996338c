// screenJoinRequest: answers a join request (kinds 213, 214, 215; the applicant is the active QQ)
// with one approval or one refusal: a QQ level below the profile's limit, a forbidden word in the
// applicant's QQ name (kind 213 only) or in his signature. An empty word of a "#" list (from "##"
// or a leading "#") matches nothing, so a stray "#" never refuses every applicant. A level switch
// other than "真" and "假" leaves the request unanswered.
#pragma once

#include "events/dispatch_event.h"
#include "config/profile_choice.h"

namespace events {

void screenJoinRequest(const HostEvent& event, const config::ProfileChoice& profile);

}  // namespace events
