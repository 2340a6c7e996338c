// loadPlugin: an isolated installation of the built plug-in library for one test. The library is
// copied into a fresh "<tmp>/irtest-XXXXXX/plugin/" and opened from there as the host kit opens a
// plug-in (hostkit::PluginLibrary),
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

#include "hostkit/plugin_library.h"

namespace support {

// The seven exports of this copy (create, setUp, event, message, requestJoin, destroy, nickname)
// are the members of hostkit::PluginExports.
class LoadedPlugin : public hostkit::PluginExports {
 public:
  ~LoadedPlugin();  // closes the library and removes the run directory
  LoadedPlugin(const LoadedPlugin&) = delete;
  LoadedPlugin& operator=(const LoadedPlugin&) = delete;

  const std::string& runDir() const { return runDir_; }          // no trailing "/"
  const std::string& libraryPath() const { return libraryPath_; }  // "<runDir>/plugin/朔禾引流插件.ir.so"
  std::string pluginDir() const;  // "<runDir>/plugin/朔禾引流插件/", what IR_Create makes PluginDir
  void* symbol(const char* name) const;  // dlsym in this copy only; nullptr when absent

 private:
  friend std::unique_ptr<LoadedPlugin> loadPlugin();
  LoadedPlugin() = default;
  std::string runDir_;
  std::string libraryPath_;
  std::unique_ptr<hostkit::PluginLibrary> library_;
};

// Copies and opens the library; throws std::runtime_error when it cannot or when an export is
// missing (a test setup failure).
// IR_Create is not called: the test decides when.
std::unique_ptr<LoadedPlugin> loadPlugin();

// The path of the built library this helper copies.
std::string builtPluginPath();

}  // namespace support
