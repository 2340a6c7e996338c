#include "hostkit/plugin_library.h"

#include <dlfcn.h>

#include <filesystem>

#include "text/gbk.h"

namespace hostkit {

namespace {

template <class Fn>
void resolve(const PluginLibrary& library, Fn& slot, const char* utf8Name) {
  void* p = library.symbol(utf8Name);
  if (!p) p = library.symbol(text::gbk(utf8Name).c_str());
  slot = reinterpret_cast<Fn>(p);
}

}  // namespace

std::vector<std::string> PluginExports::missing() const {
  std::vector<std::string> names;
  auto check = [&](const void* p, const char* name) {
    if (!p) names.emplace_back(name);
  };
  check(reinterpret_cast<const void*>(create), "IR_Create");
  check(reinterpret_cast<const void*>(setUp), "IR_SetUp");
  check(reinterpret_cast<const void*>(event), "IR_Event");
  check(reinterpret_cast<const void*>(message), "IR_Message");
  check(reinterpret_cast<const void*>(requestJoin), "IR_请求入群");
  check(reinterpret_cast<const void*>(destroy), "IR_DestroyPlugin");
  check(reinterpret_cast<const void*>(nickname), "QQ_获取昵称");
  return names;
}

std::unique_ptr<PluginLibrary> PluginLibrary::open(const std::string& path, std::string& error) {
  std::unique_ptr<PluginLibrary> library(new PluginLibrary);
  library->path_ = path;
  library->handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library->handle_) {
    const char* why = dlerror();
    error = why ? why : "?";
    return nullptr;
  }
  resolve(*library, library->create, "IR_Create");
  resolve(*library, library->setUp, "IR_SetUp");
  resolve(*library, library->event, "IR_Event");
  resolve(*library, library->message, "IR_Message");
  resolve(*library, library->requestJoin, "IR_请求入群");
  resolve(*library, library->destroy, "IR_DestroyPlugin");
  resolve(*library, library->nickname, "QQ_获取昵称");
  return library;
}

PluginLibrary::~PluginLibrary() {
  if (handle_) dlclose(handle_);
}

std::string PluginLibrary::fileName() const { return std::filesystem::path(path_).filename().string(); }

void* PluginLibrary::symbol(const char* name) const { return dlsym(handle_, name); }

}  // namespace hostkit
