#include "gifting/placeholders.h"

#include "config/config_store.h"
#include "text/search.h"

namespace gifting {

std::string fillTemplate(std::string text, const std::vector<FillStep>& steps) {
  for (const FillStep& step : steps) {
    // The value is produced even when the placeholder is absent: an order step must run anyway.
    std::optional<std::string> value = step.value ? step.value() : std::nullopt;
    if (!value) continue;
    text = text::replaceAllIgnoreCase(text, step.placeholder, *value);
  }
  return text;
}

std::string atCode(const std::string& qq) { return "[IR:at=" + qq + "]"; }

std::string avatarCode(const std::string& qq, int size) {
  return "[IR:pic=" + config::serviceAddress(config::Service::Avatar) + "/headimg_dl?dst_uin=" + qq +
         "&spec=" + std::to_string(size) + "&img_type=jpg]";
}

std::string tailText(const std::string& profilePath) {
  return text::replaceAll(config::readSetting(profilePath, config::SettingId::ReplyTail), "\r\n", "");
}

}  // namespace gifting
