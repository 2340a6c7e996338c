#include "events/join_screening.h"

#include "config/config_store.h"
#include "hostapi/event_kind.h"
#include "hostapi/host_api.h"
#include "net/nickname_lookup.h"
#include "text/gbk.h"
#include "text/numbers.h"
#include "text/search.h"

namespace events {

namespace {

using config::SettingId;
using hostapi::event_kind::kJoinRequest;
constexpr int32_t kApprove = 10;
constexpr int32_t kRefuse = 20;

// The reasons given with a refusal.
struct Reasons {
  std::string nameReason = text::gbk("您的QQ名称带有违禁词");
  std::string signReason = text::gbk("您的QQ签名带有违禁词");
  std::string levelReason = text::gbk("低等级");
};

const Reasons& reasons() {
  static const Reasons k;
  return k;
}

void answer(const HostEvent& event, int32_t code, const std::string& reason) {
  // Every kind of request is answered as the plain one.
  hostapi::hostApi().HandleEvent(event.robotQQ, kJoinRequest, event.activeQQ, event.group, code, reason);
}

// The name and signature are asked for again for every word, as the services are never cached.
void screenWords(const HostEvent& event, const std::string& profilePath) {
  const Reasons& k = reasons();
  hostapi::HostApi& api = hostapi::hostApi();
  for (const std::string& word : text::splitWordList(config::readSetting(profilePath, SettingId::NameWords))) {
    if (word.empty()) continue;
    const std::string name = net::NicknameLookup(event.activeQQ);
    // The further request kinds are never refused for their name.
    if (event.kind == kJoinRequest && text::containsText(name, word)) {
      answer(event, kRefuse, k.nameReason);
      return;
    }
  }
  for (const std::string& word : text::splitWordList(config::readSetting(profilePath, SettingId::SignatureWords))) {
    if (word.empty()) continue;
    if (text::containsText(api.GetSign(event.robotQQ, event.activeQQ), word)) {
      answer(event, kRefuse, k.signReason);
      return;
    }
  }
  answer(event, kApprove, "");
}

}  // namespace

void screenJoinRequest(const HostEvent& event, const config::ProfileChoice& profile) {
  const Reasons& k = reasons();
  const std::string path = profile.profilePath();
  hostapi::HostApi& api = hostapi::hostApi();
  if (config::settingIsOn(path, SettingId::LowLevelOn)) {
    const double limit = text::readNumber(config::readSetting(path, SettingId::LevelLimit));
    if (text::numberAtLeast(api.GetObjLevel(event.robotQQ, event.activeQQ), limit)) screenWords(event, path);
    if (text::numberLess(api.GetObjLevel(event.robotQQ, event.activeQQ), limit))
      answer(event, kRefuse, k.levelReason);
  }
  if (config::isOff(config::readSetting(path, SettingId::LowLevelOn))) screenWords(event, path);
}

}  // namespace events
