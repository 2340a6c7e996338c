// PluginInfo: the six texts the host reads about the plug-in, and the information text built from
// them (six "label{value}" lines joined by CR LF, no line break after the last brace). GBK.
#pragma once

#include <string>

namespace plugin {

struct PluginInfo {
  std::string name;
  std::string version;
  std::string author;
  std::string description;
  std::string skey;
  std::string sdkTag;
};

// The fixed values this build hands to the host.
PluginInfo fixedPluginInfo();

std::string informationText(const PluginInfo& info);

}  // namespace plugin
