#include "support/plugin_loader.h"

#include <dlfcn.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "support/built_plugin.h"  // generated: IR_BUILT_PLUGIN_FILE

namespace support {

namespace fs = std::filesystem;

std::string builtPluginPath() { return IR_BUILT_PLUGIN_FILE; }

LoadedPlugin::~LoadedPlugin() {
  if (handle_) dlclose(handle_);
  std::error_code ec;
  if (!runDir_.empty()) fs::remove_all(runDir_, ec);
}

std::string LoadedPlugin::pluginDir() const { return runDir_ + "/plugin/朔禾引流插件/"; }

void* LoadedPlugin::symbol(const char* name) const { return dlsym(handle_, name); }

namespace {
template <class Fn>
void resolve(const LoadedPlugin& plugin, Fn& slot, const char* name) {
  slot = reinterpret_cast<Fn>(plugin.symbol(name));
  if (!slot) throw std::runtime_error(std::string("plug-in lacks the export ") + name);
}
}  // namespace

std::unique_ptr<LoadedPlugin> loadPlugin() {
  std::unique_ptr<LoadedPlugin> plugin(new LoadedPlugin);
  fs::path base = fs::temp_directory_path() / "irtest-XXXXXX";
  std::string pattern = base.string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a temporary run directory");
  plugin->runDir_ = pattern;

  fs::path source(builtPluginPath());
  fs::path pluginFolder = fs::path(plugin->runDir_) / "plugin";
  fs::create_directory(pluginFolder);
  fs::path target = pluginFolder / source.filename();
  fs::copy_file(source, target);
  plugin->libraryPath_ = target.string();

  plugin->handle_ = dlopen(plugin->libraryPath_.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!plugin->handle_) {
    const char* why = dlerror();
    throw std::runtime_error(std::string("cannot load the plug-in: ") + (why ? why : "?"));
  }
  resolve(*plugin, plugin->create, "IR_Create");
  resolve(*plugin, plugin->setUp, "IR_SetUp");
  resolve(*plugin, plugin->event, "IR_Event");
  resolve(*plugin, plugin->message, "IR_Message");
  resolve(*plugin, plugin->requestJoin, "IR_请求入群");
  resolve(*plugin, plugin->destroy, "IR_DestroyPlugin");
  resolve(*plugin, plugin->nickname, "QQ_获取昵称");
  return plugin;
}

}  // namespace support
