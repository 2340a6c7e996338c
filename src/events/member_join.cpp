#include "events/member_join.h"

#include "config/config_store.h"
#include "config/folder_lock.h"
#include "events/event_reply.h"
#include "events/join_records.h"
#include "events/template_expander.h"
#include "gifting/order_service.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace events {

namespace {

constexpr int32_t kInvited = 219;

std::string g(const char* utf8) { return text::gbk(utf8); }

struct Keys {
  std::string joinedGroup = g("已入群号");
  std::string upline = g("上级QQ");
  std::string invitedCount = g("拉入人数");
  std::string leftCount = g("退群人数");
  std::string likesEarned = g("获得名片赞");
  std::string invitedList = g("拉入QQ");
  std::string none = g("无");
  std::string amounts = g("名片赞数量");
  std::string joinGift = g("入群赠送");
  std::string inviteGift = g("邀请赠送");
  std::string software = g("软件参数");
  std::string giftOnJoin = g("入群是否赠送");
  std::string giftOnInvite = g("邀请是否赠送");
  std::string yes = g("真");
  std::string replies = g("自定义话语");
  std::string welcome = g("入群消息");
  std::string invitation = g("邀请消息");
  std::string returning = g("重复入群");
};

const Keys& keys() {
  static const Keys k;
  return k;
}

void addNumber(const std::string& path, const std::string& section, const std::string& key,
               const std::string& amountText) {
  const double sum = text::readNumber(config::ReadValue(path, section, key)) + text::readNumber(amountText);
  config::WriteValue(path, section, key, text::writeNumber(sum));
}

// Records the arrival unless the member has one already; returns whether it was his first.
bool recordArrival(const HostEvent& event, const ProfileChoice& profile) {
  const Keys& k = keys();
  const std::string joins = joinRecordsPath(profile.folder);
  const std::string stats = inviteStatsPath(profile.folder);
  const std::string profilePath = profile.profilePath();
  const std::string& newcomer = event.passiveQQ;
  const std::string& inviter = event.activeQQ;

  config::FolderLock lock(config::FolderPath(profile.folder));
  if (!config::ReadValue(joins, newcomer, k.joinedGroup).empty()) return false;

  const std::string joinGift = config::ReadValue(profilePath, k.amounts, k.joinGift);
  config::WriteValue(joins, newcomer, k.joinedGroup, event.group);
  if (event.kind == kInvited) {
    config::WriteValue(stats, newcomer, k.invitedCount, "0");
    config::WriteValue(stats, newcomer, k.leftCount, "0");
    addNumber(stats, newcomer, k.likesEarned, joinGift);
    config::WriteValue(joins, newcomer, k.upline, inviter);
    config::WriteValue(stats, newcomer, k.upline, inviter);
    addNumber(stats, inviter, k.invitedCount, "1");
    addNumber(stats, inviter, k.likesEarned, config::ReadValue(profilePath, k.amounts, k.inviteGift));
    config::WriteValue(stats, inviter, k.invitedList,
                       config::ReadValue(stats, inviter, k.invitedList) + "#" + newcomer);
  } else {
    // A member who comes by himself counts towards his own number of arrivals.
    addNumber(stats, newcomer, k.invitedCount, "1");
    config::WriteValue(stats, newcomer, k.leftCount, "0");
    addNumber(stats, newcomer, k.likesEarned, joinGift);
    config::WriteValue(joins, newcomer, k.upline, k.none);
    config::WriteValue(stats, newcomer, k.upline, k.none);
  }
  return true;
}

// The order of one party, placed when its switch (absent counts as on) is "真" at the moment its
// placeholder's step is reached.
OrderStep orderFor(const std::string& profilePath, const std::string& switchKey, const std::string& qq,
                   const std::string& amountKey, const std::string& group) {
  return [=]() -> std::optional<std::string> {
    const Keys& k = keys();
    if (config::ReadValue(profilePath, k.software, switchKey, k.yes) != k.yes) return std::nullopt;
    return gifting::placeOrder(qq, config::ReadValue(profilePath, k.amounts, amountKey), group);
  };
}

}  // namespace

void handleMemberJoin(const HostEvent& event, const ProfileChoice& profile) {
  const Keys& k = keys();
  const std::string profilePath = profile.profilePath();
  const bool invited = event.kind == kInvited;
  const TemplateExpander expander(event, profile);

  // Line markers of the template are turned into line breaks by the expander's last step.
  if (!recordArrival(event, profile)) {
    const std::string templ = config::ReadValue(profilePath, k.replies, k.returning);
    sendEventReply(event, profilePath,
                   expander.expand(invited ? JoinTemplate::ReturningInvited : JoinTemplate::ReturningJoined, templ));
    return;
  }
  JoinOrders orders;
  orders.newcomer = orderFor(profilePath, k.giftOnJoin, event.passiveQQ, k.joinGift, event.group);
  if (invited) {
    orders.inviter = orderFor(profilePath, k.giftOnInvite, event.activeQQ, k.inviteGift, event.group);
    const std::string templ = config::ReadValue(profilePath, k.replies, k.invitation);
    sendEventReply(event, profilePath, expander.expand(JoinTemplate::Invitation, templ, orders));
  } else {
    const std::string templ = config::ReadValue(profilePath, k.replies, k.welcome);
    sendEventReply(event, profilePath, expander.expand(JoinTemplate::Welcome, templ, orders));
  }
}

}  // namespace events
