#include "gifting/placeholders.h"

#include "config/config_store.h"
#include "text/gbk.h"
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
  static const std::string section = text::gbk("自定义话语"), key = text::gbk("小尾巴"),
                           lineMarker = text::gbk("[换行]");
  return text::replaceAll(config::ReadValue(profilePath, section, key, lineMarker), "\r\n", "");
}

}  // namespace gifting
