// TemplateExpander: turns a join template of 自定义话语 into the finished reply.
//
// Each template has its own fixed order of placeholders; every step replaces all occurrences,
// ASCII letter case ignored, so a value that holds a later placeholder (a nickname holding
// "[换行]") is expanded too, and "[换行]" always comes last. An order is placed at the step of its
// placeholder when its step function gives a status; a step that gives none leaves the
// placeholder in the text ("[订单状态]" of an order that was switched off).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "events/dispatch_event.h"
#include "config/profile_choice.h"

namespace events {

enum class JoinTemplate {
  Welcome,           // 入群消息: first arrival, kind 212
  Invitation,        // 邀请消息: first arrival by invitation, kind 219
  ReturningJoined,   // 重复入群 on kind 212
  ReturningInvited,  // 重复入群 on kind 219
};

// An order step: places the order and gives its status text, or nullopt when no order is placed.
using OrderStep = std::function<std::optional<std::string>()>;

struct JoinOrders {
  OrderStep newcomer;  // for [订单状态] / [入群订单状态]
  OrderStep inviter;   // for [邀请订单状态]
};

class TemplateExpander {
 public:
  // The newcomer is the event's passive QQ, the inviter its active QQ (kind 219).
  TemplateExpander(const HostEvent& event, const config::ProfileChoice& profile);

  std::string expand(JoinTemplate which, const std::string& templateText, const JoinOrders& orders = {}) const;

 private:
  const HostEvent& event_;
  config::ProfileChoice profile_;
};

}  // namespace events
