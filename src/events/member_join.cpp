#include "events/member_join.h"

#include "config/config_store.h"
#include "config/folder_lock.h"
#include "config/ini_transaction.h"
#include "events/join_records.h"
#include "events/template_expander.h"
#include "gifting/group_reply.h"
#include "gifting/order_service.h"
#include "hostapi/event_kind.h"
#include "text/numbers.h"

namespace events {

namespace {

using config::SettingId;
using hostapi::event_kind::kMemberInvited;

void addNumber(config::IniTransaction& file, const std::string& section, const std::string& key,
               const std::string& amountText) {
  const double sum = text::readNumber(file.read(section, key)) + text::readNumber(amountText);
  file.write(section, key, text::writeNumber(sum));
}

// Records the arrival unless the member has one already; returns whether it was his first.
bool recordArrival(const HostEvent& event, const config::ProfileChoice& profile) {
  const JoinRecordKeys& k = joinRecordKeys();
  const std::string profilePath = profile.profilePath();
  const std::string& newcomer = event.passiveQQ;
  const std::string& inviter = event.activeQQ;

  // Each file is read once and replaced once, with every key of the arrival.
  config::FolderLock lock(config::FolderPath(profile.folder));
  config::IniTransaction joins(joinRecordsPath(profile.folder));
  if (!joins.read(newcomer, k.joinedGroup).empty()) return false;
  config::IniTransaction stats(inviteStatsPath(profile.folder));

  const std::string joinGift = config::readSetting(profilePath, SettingId::JoinGiftAmount);
  joins.write(newcomer, k.joinedGroup, event.group);
  if (event.kind == kMemberInvited) {
    stats.write(newcomer, k.invitedCount, "0");
    stats.write(newcomer, k.leftCount, "0");
    addNumber(stats, newcomer, k.likesEarned, joinGift);
    joins.write(newcomer, k.upline, inviter);
    stats.write(newcomer, k.upline, inviter);
    addNumber(stats, inviter, k.invitedCount, "1");
    addNumber(stats, inviter, k.likesEarned, config::readSetting(profilePath, SettingId::InviteGiftAmount));
    stats.write(inviter, k.invitedList, stats.read(inviter, k.invitedList) + "#" + newcomer);
  } else {
    // A member who comes by himself counts towards his own number of arrivals.
    addNumber(stats, newcomer, k.invitedCount, "1");
    stats.write(newcomer, k.leftCount, "0");
    addNumber(stats, newcomer, k.likesEarned, joinGift);
    joins.write(newcomer, k.upline, k.noUpline);
    stats.write(newcomer, k.upline, k.noUpline);
  }
  // The join record first: it is what makes the member known. If it cannot be written he counts
  // as new again at his next arrival, and the statistics are not credited without it.
  if (joins.commit()) stats.commit();
  return true;
}

// The order of one party, placed when its switch (absent counts as on) is "真" at the moment its
// placeholder's step is reached.
OrderStep orderFor(const std::string& profilePath, SettingId giftSwitch, const std::string& qq, SettingId amount,
                   const std::string& group) {
  return [=]() -> std::optional<std::string> {
    if (!config::settingIsOn(profilePath, giftSwitch)) return std::nullopt;
    return gifting::placeOrder(qq, config::readSetting(profilePath, amount), group);
  };
}

}  // namespace

void handleMemberJoin(const HostEvent& event, const config::ProfileChoice& profile) {
  const std::string profilePath = profile.profilePath();
  const bool invited = event.kind == kMemberInvited;
  const TemplateExpander expander(event, profile);
  const auto reply = [&](const std::string& text) {
    gifting::sendGroupReply(event.robotQQ, event.group, event.activeQQ, text, profilePath, event.kind, 0);
  };

  // Line markers of the template are turned into line breaks by the expander's last step.
  if (!recordArrival(event, profile)) {
    const std::string templ = config::readSetting(profilePath, SettingId::ReturningReply);
    reply(expander.expand(invited ? JoinTemplate::ReturningInvited : JoinTemplate::ReturningJoined, templ));
    return;
  }
  JoinOrders orders;
  orders.newcomer = orderFor(profilePath, SettingId::GiftOnJoin, event.passiveQQ, SettingId::JoinGiftAmount, event.group);
  if (invited) {
    orders.inviter =
        orderFor(profilePath, SettingId::GiftOnInvite, event.activeQQ, SettingId::InviteGiftAmount, event.group);
    reply(expander.expand(JoinTemplate::Invitation, config::readSetting(profilePath, SettingId::InvitationReply), orders));
  } else {
    reply(expander.expand(JoinTemplate::Welcome, config::readSetting(profilePath, SettingId::WelcomeReply), orders));
  }
}

}  // namespace events
