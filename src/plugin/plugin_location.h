// Where the plug-in keeps its files. The host keeps its plug-ins in "<run dir>/plugin/", so the run
// directory is the folder above the one the library was loaded from, and PluginDir is
// "<run dir>/plugin/朔禾引流插件/". Paths are UTF-8.
#pragma once

#include <string>

namespace plugin {

// The run directory (no trailing separator) of the library that contains `codeAddress`, an
// absolute path; the current directory when the loader cannot tell.
std::string runDirectoryOf(const void* codeAddress);

// "<runDir>/plugin/朔禾引流插件/".
std::string pluginDirUnder(const std::string& runDir);

// Creates the folder (one level); an existing folder is fine and a failure is ignored.
void createFolder(const std::string& path);

}  // namespace plugin
