#include "plugin/plugin_info.h"

#include <utility>

#include "text/gbk.h"

namespace plugin {

PluginInfo fixedPluginInfo() {
  return PluginInfo{
      .name = text::gbk("朔禾引流插件"),
      .version = "1.0.2",
      .author = text::gbk("朔禾团队"),
      .description = text::gbk("朔禾引流团队，打造全网第一引流"),
      .skey = "K4Q7ZMPX2B9HJN6C5TVWA1YL",
      .sdkTag = "S3",
  };
}

std::string informationText(const PluginInfo& info) {
  const std::pair<const char*, const std::string*> lines[] = {
      {"插件名称{", &info.name},   {"插件版本{", &info.version}, {"插件作者{", &info.author},
      {"插件说明{", &info.description}, {"插件skey{", &info.skey},   {"插件sdk{", &info.sdkTag},
  };
  std::string out;
  for (const auto& [label, value] : lines) {
    if (!out.empty()) out += "\r\n";
    out += text::gbk(label);
    out += *value;
    out += '}';
  }
  return out;
}

}  // namespace plugin
