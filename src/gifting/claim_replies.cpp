#include "gifting/claim_replies.h"

#include <vector>

#include "config/config_store.h"
#include "gifting/placeholders.h"
#include "net/nickname_lookup.h"
#include "text/date_text.h"
#include "text/gbk.h"

namespace gifting {

namespace {

using config::SettingId;

FillStep amountStep(const char* placeholder, const std::string& profilePath, SettingId amount) {
  return {text::gbk(placeholder), [profilePath, amount]() -> std::optional<std::string> {
            return config::readSetting(profilePath, amount);
          }};
}

// [小尾巴] through [换行]: the steps both replies end with.
std::vector<FillStep> closingSteps(const std::string& profilePath, const std::string& qq) {
  return {
      {text::gbk("[小尾巴]"), [profilePath] { return std::optional<std::string>(tailText(profilePath)); }},
      {text::gbk("[领取QQ]"), [qq] { return std::optional<std::string>(qq); }},
      {text::gbk("[@领取QQ号]"), [qq] { return std::optional<std::string>(atCode(qq)); }},
      {text::gbk("[领取QQ头像]"), [qq] { return std::optional<std::string>(avatarCode(qq, 160)); }},
      {text::gbk("[领取QQ名称]"), [qq] { return std::optional<std::string>(net::NicknameLookup(qq)); }},
      {text::gbk("[换行]"), [] { return std::optional<std::string>("\r\n"); }},
  };
}

FillStep nowStep() {
  return {text::gbk("[现在时间]"), [] { return std::optional<std::string>(text::nowText()); }};
}

}  // namespace

std::string buildClaimReply(const std::string& profilePath, const std::string& senderQQ,
                            const std::string& orderStatus) {
  std::vector<FillStep> steps = {
      nowStep(),
      amountStep("[领取赠送数量]", profilePath, SettingId::DailyClaimAmount),
      {text::gbk("[订单状态]"), [orderStatus] { return std::optional<std::string>(orderStatus); }},
  };
  for (FillStep& step : closingSteps(profilePath, senderQQ)) steps.push_back(std::move(step));
  return fillTemplate(config::readSetting(profilePath, SettingId::ClaimReply), steps);
}

std::string buildAlreadyClaimedReply(const std::string& profilePath, const std::string& senderQQ) {
  std::vector<FillStep> steps = {
      nowStep(),
      amountStep("[领取赠送数量]", profilePath, SettingId::DailyClaimAmount),
      amountStep("[邀请赠送数量]", profilePath, SettingId::InviteGiftAmount),
      amountStep("[入群赠送数量]", profilePath, SettingId::JoinGiftAmount),
  };
  for (FillStep& step : closingSteps(profilePath, senderQQ)) steps.push_back(std::move(step));
  return fillTemplate(config::readSetting(profilePath, SettingId::ClaimedTodayReply), steps);
}

}  // namespace gifting
