#include "support/plugin_loader.h"

#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "support/built_plugin.h"  // generated: IR_BUILT_PLUGIN_FILE

namespace support {

namespace fs = std::filesystem;

std::string builtPluginPath() { return IR_BUILT_PLUGIN_FILE; }

LoadedPlugin::~LoadedPlugin() {
  library_.reset();
  std::error_code ec;
  if (!runDir_.empty()) fs::remove_all(runDir_, ec);
}

std::string LoadedPlugin::pluginDir() const { return runDir_ + "/plugin/朔禾引流插件/"; }

void* LoadedPlugin::symbol(const char* name) const { return library_->symbol(name); }

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

  std::string error;
  plugin->library_ = hostkit::PluginLibrary::open(plugin->libraryPath_, error);
  if (!plugin->library_) throw std::runtime_error("cannot load the plug-in: " + error);
  if (auto missing = plugin->library_->missing(); !missing.empty())
    throw std::runtime_error("plug-in lacks the export " + missing.front());
  static_cast<hostkit::PluginExports&>(*plugin) = *plugin->library_;
  return plugin;
}

}  // namespace support
