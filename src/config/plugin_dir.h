// PluginDir: the folder under the host's run directory that holds every file of the plug-in,
// "<run dir>/plugin/朔禾引流插件/". A file-system path in UTF-8 that ends with "/". It is fixed by
// IR_Create; tests set it to a folder of their own.
#pragma once

#include <string>

namespace config {

const std::string& pluginDir();
void setPluginDir(const std::string& utf8Path);

}  // namespace config
