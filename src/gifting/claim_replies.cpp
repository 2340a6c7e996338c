#include "gifting/claim_replies.h"

#include <vector>

#include "config/config_store.h"
#include "gifting/placeholders.h"
#include "net/nickname_lookup.h"
#include "text/date_text.h"
#include "text/gbk.h"

namespace gifting {

namespace {

const std::string& amountsSection() {
  static const std::string s = text::gbk("名片赞数量");
  return s;
}

FillStep amountStep(const char* placeholder, const std::string& profilePath, const char* key) {
  return {text::gbk(placeholder), [profilePath, k = text::gbk(key)]() -> std::optional<std::string> {
            return config::ReadValue(profilePath, amountsSection(), k);
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

std::string templateText(const std::string& profilePath, const char* key) {
  static const std::string section = text::gbk("自定义话语");
  return config::ReadValue(profilePath, section, text::gbk(key));
}

}  // namespace

std::string buildClaimReply(const std::string& profilePath, const std::string& senderQQ,
                            const std::string& orderStatus) {
  std::vector<FillStep> steps = {
      nowStep(),
      amountStep("[领取赠送数量]", profilePath, "每日领取"),
      {text::gbk("[订单状态]"), [orderStatus] { return std::optional<std::string>(orderStatus); }},
  };
  for (FillStep& step : closingSteps(profilePath, senderQQ)) steps.push_back(std::move(step));
  return fillTemplate(templateText(profilePath, "每日领取"), steps);
}

std::string buildAlreadyClaimedReply(const std::string& profilePath, const std::string& senderQQ) {
  std::vector<FillStep> steps = {
      nowStep(),
      amountStep("[领取赠送数量]", profilePath, "每日领取"),
      amountStep("[邀请赠送数量]", profilePath, "邀请赠送"),
      amountStep("[入群赠送数量]", profilePath, "入群赠送"),
  };
  for (FillStep& step : closingSteps(profilePath, senderQQ)) steps.push_back(std::move(step));
  return fillTemplate(templateText(profilePath, "今日已领取"), steps);
}

}  // namespace gifting
