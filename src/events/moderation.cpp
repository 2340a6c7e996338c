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

struct Keys {
  std::string moderation = g("群管系统");
  std::string enabled = g("是否开启群管");
  std::string whitelist = g("QQ白名单");
  std::string pictureCheck = g("是否开启图片文字检测");
  std::string words = g("禁言关键词");
  std::string banMinutes = g("关键词禁言时间");
  std::string withdraw = g("是否撤回消息");
  std::string software = g("软件参数");
  std::string kick = g("是否踢出广告");
  std::string yes = g("真");
  std::string pictureWord = g("]\r\n因为您的图片包含违禁词[");
  std::string textWord = g("]\r\n因为您发送了违禁词[");
  std::string banned = g("]\r\n为此禁言您");
  std::string minutes = g("分钟");
  std::string removed = g("]\r\n为此已将该用户移除本群！");
};

const Keys& keys() {
  static const Keys k;
  return k;
}

bool appliesTo(const HostEvent& event, const std::string& profilePath) {
  const Keys& k = keys();
  if (config::ReadValue(profilePath, k.moderation, k.enabled) != k.yes) return false;
  // A plain substring search of the whole list: a list "123456" also exempts 2345.
  return !text::containsText(config::ReadValue(profilePath, k.moderation, k.whitelist), event.activeQQ);
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
  const Keys& k = keys();
  hostapi::HostApi& api = hostapi::hostApi();
  const std::string head = "[IR:at=" + event.activeQQ + (where == Where::Picture ? k.pictureWord : k.textWord) + word;
  if (config::ReadValue(profilePath, k.software, k.kick) != k.yes) {
    const std::string minutes = config::ReadValue(profilePath, k.moderation, k.banMinutes);
    api.ShutUP(event.robotQQ, event.group, event.activeQQ, banSeconds(minutes));
    api.SendMsg(event.robotQQ, 2, event.group, event.activeQQ, head + k.banned + minutes + k.minutes, 0);
  }
  if (config::ReadValue(profilePath, k.moderation, k.withdraw) == k.yes)
    api.WithdrawMsg(event.robotQQ, event.group, event.messageNo, event.messageId);
  if (config::ReadValue(profilePath, k.software, k.kick) == k.yes) {
    api.KickGroupMBR(event.robotQQ, event.group, event.activeQQ, false);
    api.SendMsg(event.robotQQ, 2, event.group, event.activeQQ, head + k.removed, 0);
  }
}

}  // namespace

void checkPictureText(const HostEvent& event, const ProfileChoice& profile) {
  const Keys& k = keys();
  // A text-only message never costs a file read here, let alone a download.
  if (!text::containsText(event.message, "[IR:pic")) return;
  const std::string path = profile.profilePath();
  if (!appliesTo(event, path)) return;
  if (config::ReadValue(path, k.moderation, k.pictureCheck) != k.yes) return;

  const std::string pictureCode = "[IR:pic=" + text::TextBetween(event.message, "[IR:pic=", ".jpg]") + ".jpg]";
  hostapi::HostApi& api = hostapi::hostApi();
  net::HttpRequest download;
  download.url = api.GetPicLink(event.robotQQ, 1, event.group, pictureCode);
  net::HttpResponse picture;
  net::HttpFetch(download, &picture);
  const std::string recognised = net::ImageTextCheck(picture.bodyBytes);
  api.OutPutLog(recognised);

  for (const std::string& word : text::splitWordList(config::ReadValue(path, k.moderation, k.words))) {
    if (word.empty() || !text::containsText(recognised, word)) continue;
    punish(event, path, word, Where::Picture);
    return;
  }
}

void checkForbiddenWords(const HostEvent& event, const ProfileChoice& profile) {
  const Keys& k = keys();
  const std::string path = profile.profilePath();
  // A list without a word can punish nobody, whatever the switches say: they are not even read.
  const std::vector<std::string> words = text::splitWordList(config::ReadValue(path, k.moderation, k.words));
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
  } else if (auto profile = chooseProfile(Feature::ImageTextCheck, event.group)) checkPictureText(event, *profile);
  if (auto profile = chooseProfile(Feature::ForbiddenWords, event.group)) checkForbiddenWords(event, *profile);
}

}  // namespace events
