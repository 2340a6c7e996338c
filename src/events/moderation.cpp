#include "events/moderation.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "config/config_store.h"
#include "hostapi/host_api.h"
#include "net/http_fetch.h"
#include "net/image_text_check.h"
#include "text/gbk.h"
#include "text/numbers.h"
#include "text/search.h"
#include "text/text_between.h"

namespace events {

namespace {

std::string g(const char* utf8) { return text::gbk(utf8); }

using config::SettingId;

// The pieces of the notices.
struct Notices {
  std::string pictureWord = g("]\r\n因为您的图片包含违禁词[");
  std::string textWord = g("]\r\n因为您发送了违禁词[");
  std::string banned = g("]\r\n为此禁言您");
  std::string minutes = g("分钟");
  std::string removed = g("]\r\n为此已将该用户移除本群！");
};

const Notices& notices() {
  static const Notices k;
  return k;
}

bool appliesTo(const HostEvent& event, const std::string& profilePath) {
  if (!config::settingIsOn(profilePath, SettingId::ModerationOn)) return false;
  // A plain substring search of the whole list: a list "123456" also exempts 2345.
  return !text::containsText(config::readSetting(profilePath, SettingId::Whitelist), event.activeQQ);
}

int32_t banSeconds(const std::string& minutesText) {
  const double seconds = std::trunc(text::readNumber(minutesText) * 60);
  if (!(seconds > 0)) return 0;
  if (seconds >= static_cast<double>(std::numeric_limits<int32_t>::max()))
    return std::numeric_limits<int32_t>::max();
  return static_cast<int32_t>(seconds);
}

enum class Where { Picture, Text };

void punish(const HostEvent& event, const std::string& profilePath, const std::string& word, Where where) {
  const Notices& k = notices();
  hostapi::HostApi& api = hostapi::hostApi();
  const std::string head = "[IR:at=" + event.activeQQ + (where == Where::Picture ? k.pictureWord : k.textWord) + word;
  if (!config::settingIsOn(profilePath, SettingId::KickAdverts)) {
    const std::string minutes = config::readSetting(profilePath, SettingId::BanMinutes);
    api.ShutUP(event.robotQQ, event.group, event.activeQQ, banSeconds(minutes));
    api.SendMsg(event.robotQQ, 2, event.group, event.activeQQ, head + k.banned + minutes + k.minutes, 0);
  }
  if (config::settingIsOn(profilePath, SettingId::WithdrawOn))
    api.WithdrawMsg(event.robotQQ, event.group, event.messageNo, event.messageId);
  if (config::settingIsOn(profilePath, SettingId::KickAdverts)) {
    api.KickGroupMBR(event.robotQQ, event.group, event.activeQQ, false);
    api.SendMsg(event.robotQQ, 2, event.group, event.activeQQ, head + k.removed, 0);
  }
}

}  // namespace

void checkPictureText(const HostEvent& event, const config::ProfileChoice& profile) {
  // A text-only message never costs a file read here, let alone a download.
  if (!text::containsText(event.message, "[IR:pic")) return;
  const std::string path = profile.profilePath();
  if (!appliesTo(event, path)) return;
  if (!config::settingIsOn(path, SettingId::ImageTextCheckOn)) return;

  const std::string pictureCode = "[IR:pic=" + text::TextBetween(event.message, "[IR:pic=", ".jpg]") + ".jpg]";
  hostapi::HostApi& api = hostapi::hostApi();
  net::HttpRequest download;
  download.url = api.GetPicLink(event.robotQQ, 1, event.group, pictureCode);
  net::HttpResponse picture;
  net::HttpFetch(download, &picture);
  const std::string recognised = net::ImageTextCheck(picture.bodyBytes);
  api.OutPutLog(recognised);

  for (const std::string& word : text::splitWordList(config::readSetting(path, SettingId::ForbiddenWords))) {
    if (word.empty() || !text::containsText(recognised, word)) continue;
    punish(event, path, word, Where::Picture);
    return;
  }
}

void checkForbiddenWords(const HostEvent& event, const config::ProfileChoice& profile) {
  const std::string path = profile.profilePath();
  // A list without a word can punish nobody, whatever the switches say: they are not even read.
  const std::vector<std::string> words = text::splitWordList(config::readSetting(path, SettingId::ForbiddenWords));
  bool anyWord = false;
  for (const std::string& word : words) anyWord = anyWord || !word.empty();
  if (!anyWord || !appliesTo(event, path)) return;
  for (const std::string& word : words) {
    if (word.empty() || !text::containsText(event.message, word)) continue;
    punish(event, path, word, Where::Text);
    if (profile.shared) return;
  }
}

void moderateGroupMessage(const HostEvent& event) {
  // A message without a picture code cannot be caught by the picture check; it is left out before
  // the core file is even read.
  if (!text::containsText(event.message, "[IR:pic")) {
  } else if (auto profile = config::chooseProfile(config::Feature::ImageTextCheck, event.group)) checkPictureText(event, *profile);
  if (auto profile = config::chooseProfile(config::Feature::ForbiddenWords, event.group)) checkForbiddenWords(event, *profile);
}

}  // namespace events
