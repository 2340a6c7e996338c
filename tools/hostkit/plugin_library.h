// PluginLibrary: one plug-in library opened the way a host opens it (RTLD_NOW | RTLD_LOCAL), with
// its seven exports resolved by name: the UTF-8 spelling first, then the GBK one, as a host that
// works in its code page looks up the two names with Chinese characters. The exports are plain
// function pointers, null for any the library lacks, and may be called from several threads.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "plugin/exports.h"

namespace hostkit {

struct PluginExports {
  decltype(&IR_Create) create = nullptr;
  decltype(&IR_SetUp) setUp = nullptr;
  decltype(&IR_Event) event = nullptr;
  decltype(&IR_Message) message = nullptr;
  decltype(&IR_请求入群) requestJoin = nullptr;
  decltype(&IR_DestroyPlugin) destroy = nullptr;
  decltype(&QQ_获取昵称) nickname = nullptr;

  // The names of the exports that are missing, in the order above.
  std::vector<std::string> missing() const;
};

class PluginLibrary : public PluginExports {
 public:
  // Opens the file; nullptr with the loader's reason in `error` when it cannot.
  static std::unique_ptr<PluginLibrary> open(const std::string& path, std::string& error);
  ~PluginLibrary();  // closes the library; IR_DestroyPlugin is the owner's to call first
  PluginLibrary(const PluginLibrary&) = delete;
  PluginLibrary& operator=(const PluginLibrary&) = delete;

  const std::string& path() const { return path_; }
  std::string fileName() const;          // "朔禾引流插件.ir.so"
  void* symbol(const char* name) const;  // in this library only; nullptr when absent

 private:
  PluginLibrary() = default;
  std::string path_;
  void* handle_ = nullptr;
};

}  // namespace hostkit
