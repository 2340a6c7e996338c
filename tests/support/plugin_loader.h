// loadPlugin: an isolated installation of the built plug-in library for one test. The library is
// copied into a fresh "<tmp>/irtest-XXXXXX/plugin/" and opened from there (RTLD_NOW | RTLD_LOCAL),
// so its PluginDir, fixed by IR_Create, is "<that run dir>/plugin/朔禾引流插件/" and no two tests
// share files or library state. A copy, not a link: the loader treats a second path to one file as
// the library already loaded.
//
// The copy binds the host functions of this process, that is support::host() (recording_host.h).
// Its statics are its own: calling config::setPluginDir or hostapi::setHostApi in the test changes
// the test's copy of those modules, not the plug-in's.
#pragma once

#include <memory>
#include <string>

#include "plugin/exports.h"

namespace support {

class LoadedPlugin {
 public:
  ~LoadedPlugin();  // closes the library and removes the run directory
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  // The seven exports of this copy, found under their UTF-8 names.
  decltype(&IR_Create) create = nullptr;
  decltype(&IR_SetUp) setUp = nullptr;
  decltype(&IR_Event) event = nullptr;
  decltype(&IR_Message) message = nullptr;
  decltype(&IR_请求入群) requestJoin = nullptr;
  decltype(&IR_DestroyPlugin) destroy = nullptr;
  decltype(&QQ_获取昵称) nickname = nullptr;

  const std::string& runDir() const { return runDir_; }          // no trailing "/"
  const std::string& libraryPath() const { return libraryPath_; }  // "<runDir>/plugin/朔禾引流插件.ir.so"
  std::string pluginDir() const;  // "<runDir>/plugin/朔禾引流插件/", what IR_Create makes PluginDir
  void* symbol(const char* name) const;  // dlsym in this copy only; nullptr when absent

 private:
  friend std::unique_ptr<LoadedPlugin> loadPlugin();
  LoadedPlugin() = default;
  std::string runDir_;
  std::string libraryPath_;
  void* handle_ = nullptr;
};

// Copies and opens the library; throws std::runtime_error when it cannot (a test setup failure).
// IR_Create is not called: the test decides when.
std::unique_ptr<LoadedPlugin> loadPlugin();

// The path of the built library this helper copies.
std::string builtPluginPath();

}  // namespace support
