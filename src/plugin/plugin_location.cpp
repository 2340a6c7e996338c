#include "plugin/plugin_location.h"

#include <dlfcn.h>

#include <filesystem>
#include <system_error>

namespace plugin {

namespace fs = std::filesystem;

std::string runDirectoryOf(const void* codeAddress) {
  std::error_code ec;
  Dl_info info{};
  if (dladdr(codeAddress, &info) == 0 || info.dli_fname == nullptr || info.dli_fname[0] == '\0') {
    return fs::current_path(ec).string();
  }
  // absolute(), not canonical(): a plug-in reached through a link belongs to the host whose
  // plug-in folder holds the link.
  fs::path library = fs::absolute(fs::path(info.dli_fname), ec).lexically_normal();
  std::string run = library.parent_path().parent_path().string();
  while (!run.empty() && run.back() == '/') run.pop_back();
  return run;
}

std::string pluginDirUnder(const std::string& runDir) { return runDir + "/plugin/朔禾引流插件/"; }

void createFolder(const std::string& path) {
  std::error_code ec;
  fs::create_directory(fs::path(path), ec);
}

}  // namespace plugin
