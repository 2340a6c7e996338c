#include "events/join_screening.h"

#include "config/config_store.h"
#include "hostapi/host_api.h"
#include "net/nickname_lookup.h"
#include "text/gbk.h"
#include "text/numbers.h"
#include "text/search.h"

namespace events {

namespace {

constexpr int32_t kRequestKind = 213;
constexpr int32_t kApprove = 10;
constexpr int32_t kRefuse = 20;

struct Keys {
  std::string lowLevel = text::gbk("低等级");
  std::string enabled = text::gbk("是否开启");
  std::string level = text::gbk("等级");
  std::string nameWords = text::gbk("QQ名字关键词");
  std::string signWords = text::gbk("QQ签名关键词");
  std::string yes = text::gbk("真");
  std::string no = text::gbk("假");
  std::string nameReason = text::gbk("您的QQ名称带有违禁词");
  std::string signReason = text::gbk("您的QQ签名带有违禁词");
  std::string levelReason = text::gbk("低等级");
};

const Keys& keys() {
  static const Keys k;
  return k;
}

void answer(const HostEvent& event, int32_t code, const std::string& reason) {
  hostapi::hostApi().HandleEvent(event.robotQQ, kRequestKind, event.activeQQ, event.group, code, reason);
}

// The name and signature are asked for again for every word, as the services are never cached.
void screenWords(const HostEvent& event, const std::string& profilePath) {
  const Keys& k = keys();
  hostapi::HostApi& api = hostapi::hostApi();
  for (const std::string& word : text::splitWordList(config::ReadValue(profilePath, k.nameWords, k.nameWords))) {
    if (word.empty()) continue;
    const std::string name = net::NicknameLookup(event.activeQQ);
    // The further request kinds are never refused for their name.
    if (event.kind == kRequestKind && text::containsText(name, word)) {
      answer(event, kRefuse, k.nameReason);
      return;
    }
  }
  for (const std::string& word : text::splitWordList(config::ReadValue(profilePath, k.signWords, k.signWords))) {
    if (word.empty()) continue;
    if (text::containsText(api.GetSign(event.robotQQ, event.activeQQ), word)) {
      answer(event, kRefuse, k.signReason);
      return;
    }
  }
  answer(event, kApprove, "");
}

}  // namespace

void screenJoinRequest(const HostEvent& event, const ProfileChoice& profile) {
  const Keys& k = keys();
  const std::string path = profile.profilePath();
  hostapi::HostApi& api = hostapi::hostApi();
  if (config::ReadValue(path, k.lowLevel, k.enabled, k.no) == k.yes) {
    const double limit = text::readNumber(config::ReadValue(path, k.lowLevel, k.level));
    if (text::numberAtLeast(api.GetObjLevel(event.robotQQ, event.activeQQ), limit)) screenWords(event, path);
    if (text::numberLess(api.GetObjLevel(event.robotQQ, event.activeQQ), limit))
      answer(event, kRefuse, k.levelReason);
  }
  if (config::ReadValue(path, k.lowLevel, k.enabled, k.no) == k.no) screenWords(event, path);
}

}  // namespace events
