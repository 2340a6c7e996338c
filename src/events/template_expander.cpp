#include "events/template_expander.h"

#include <vector>

#include "config/config_store.h"
#include "events/join_records.h"
#include "gifting/placeholders.h"
#include "net/nickname_lookup.h"
#include "text/date_text.h"
#include "text/gbk.h"

namespace events {

namespace {

using gifting::FillStep;

std::string g(const char* utf8) { return text::gbk(utf8); }

struct Names {
  std::string now = g("[现在时间]");
  std::string joinAmount = g("[入群赠送数量]");
  std::string inviteAmount = g("[邀请赠送数量]");
  std::string orderStatus = g("[订单状态]");
  std::string joinOrderStatus = g("[入群订单状态]");
  std::string inviteOrderStatus = g("[邀请订单状态]");
  std::string tail = g("[小尾巴]");
  std::string newcomer = g("[入群QQ]");
  std::string newcomerAt = g("[@入群QQ号]");
  std::string newcomerAvatar = g("[入群QQ头像]");
  std::string newcomerName = g("[入群QQ名称]");
  std::string inviter = g("[邀请QQ]");
  std::string inviterAt = g("[@邀请QQ号]");
  std::string inviterAvatar = g("[邀请QQ头像]");
  std::string inviterName = g("[邀请QQ名称]");
  std::string inviteCount = g("[邀请统计]");
  std::string lineBreak = g("[换行]");
};

const Names& names() {
  static const Names n;
  return n;
}

FillStep step(const std::string& placeholder, std::function<std::string()> value) {
  return FillStep{placeholder, [value = std::move(value)]() -> std::optional<std::string> { return value(); }};
}

FillStep orderStep(const std::string& placeholder, const OrderStep& order) {
  return FillStep{placeholder, [&order]() -> std::optional<std::string> {
                    if (!order) return std::nullopt;
                    return order();
                  }};
}

}  // namespace

TemplateExpander::TemplateExpander(const HostEvent& event, const config::ProfileChoice& profile)
    : event_(event), profile_(profile) {}

std::string TemplateExpander::expand(JoinTemplate which, const std::string& templateText,
                                     const JoinOrders& orders) const {
  const Names& n = names();
  const std::string profilePath = profile_.profilePath();
  const std::string& newcomer = event_.passiveQQ;
  const std::string& inviter = event_.activeQQ;
  const int newcomerSize = (which == JoinTemplate::ReturningJoined || which == JoinTemplate::Invitation) ? 160 : 100;

  const FillStep now = step(n.now, [] { return text::nowText(); });
  const FillStep joinAmount =
      step(n.joinAmount, [&] { return config::readSetting(profilePath, config::SettingId::JoinGiftAmount); });
  const FillStep inviteAmount =
      step(n.inviteAmount, [&] { return config::readSetting(profilePath, config::SettingId::InviteGiftAmount); });
  const FillStep tail = step(n.tail, [&] { return gifting::tailText(profilePath); });
  const FillStep newcomerQQ = step(n.newcomer, [&] { return newcomer; });
  const FillStep newcomerAt = step(n.newcomerAt, [&] { return gifting::atCode(newcomer); });
  const FillStep newcomerAvatar =
      step(n.newcomerAvatar, [&] { return gifting::avatarCode(newcomer, newcomerSize); });
  const FillStep newcomerName = step(n.newcomerName, [&] { return net::NicknameLookup(newcomer); });
  const FillStep lineBreak = step(n.lineBreak, [] { return std::string("\r\n"); });

  std::vector<FillStep> steps;
  switch (which) {
    case JoinTemplate::ReturningJoined:
      steps = {now, joinAmount, inviteAmount, newcomerQQ, newcomerAt, newcomerAvatar, tail, newcomerName, lineBreak};
      break;
    case JoinTemplate::Welcome:
      steps = {now,        joinAmount, orderStep(n.orderStatus, orders.newcomer), tail, newcomerQQ, newcomerAt,
               newcomerAvatar, newcomerName, lineBreak};
      break;
    case JoinTemplate::ReturningInvited:
      steps = {now, joinAmount, inviteAmount, newcomerQQ, newcomerAt, newcomerAvatar, newcomerName, lineBreak};
      break;
    case JoinTemplate::Invitation:
      steps = {now,
               joinAmount,
               inviteAmount,
               orderStep(n.joinOrderStatus, orders.newcomer),
               orderStep(n.inviteOrderStatus, orders.inviter),
               tail,
               newcomerQQ,
               newcomerAt,
               newcomerAvatar,
               newcomerName,
               step(n.inviter, [&] { return inviter; }),
               step(n.inviterAt, [&] { return gifting::atCode(inviter); }),
               step(n.inviterAvatar, [&] { return gifting::avatarCode(inviter, 160); }),
               step(n.inviterName, [&] { return net::NicknameLookup(inviter); }),
               step(n.inviteCount,
                    [&] {
                      return config::ReadValue(inviteStatsPath(profile_.folder), inviter,
                                               joinRecordKeys().invitedCount, "0");
                    }),
               lineBreak};
      break;
  }
  return gifting::fillTemplate(templateText, steps);
}

}  // namespace events
