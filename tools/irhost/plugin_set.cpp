#include "plugin_set.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <iostream>

#include "display.h"
#include "text/gbk.h"

namespace irhost {

namespace fs = std::filesystem;

namespace {

// A host looks a Chinese name up in UTF-8 first, then in its code page.
void* exported(void* handle, const char* utf8Name) {
  if (void* p = dlsym(handle, utf8Name)) return p;
  return dlsym(handle, text::gbk(utf8Name).c_str());
}

template <class Fn>
void resolve(void* handle, Fn& slot, const char* name) {
  slot = reinterpret_cast<Fn>(exported(handle, name));
}

}  // namespace

void PluginSet::loadFolder(const std::string& folder, std::ostream& out) {
  folder_ = folder;
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.size() > 6 && name.ends_with(".ir.so")) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& path : files) {
    Plugin p;
    p.file = path.filename().string();
    p.handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!p.handle) {
      const char* why = dlerror();
      out << "irhost: cannot load plugin/" << p.file << ": " << (why ? why : "?") << std::endl;
      continue;
    }
    resolve(p.handle, p.create, "IR_Create");
    resolve(p.handle, p.setUp, "IR_SetUp");
    resolve(p.handle, p.event, "IR_Event");
    resolve(p.handle, p.destroy, "IR_DestroyPlugin");
    resolve(p.handle, p.nickname, "QQ_获取昵称");
    if (!p.create || !p.event) {
      out << "irhost: plugin/" << p.file << " lacks IR_Create or IR_Event; skipped" << std::endl;
      dlclose(p.handle);
      continue;
    }
    out << "irhost: loaded plugin/" << p.file << std::endl;
    const char* info = p.create();
    std::string utf8 = text::gbkToUtf8(info ? info : "");
    out << "  information (" << (info ? std::string(info).size() : 0) << " bytes in GBK):" << std::endl;
    std::size_t start = 0;
    while (start <= utf8.size()) {
      std::size_t end = utf8.find("\r\n", start);
      std::string line = utf8.substr(start, end == std::string::npos ? std::string::npos : end - start);
      out << "    " << line << std::endl;
      if (end == std::string::npos) break;
      start = end + 2;
    }
    plugins_.push_back(p);
  }
}

std::string PluginSet::filesFolder() const {
  if (plugins_.empty()) return {};
  const std::string& file = plugins_.front().file;
  return folder_ + "/" + file.substr(0, file.size() - std::string(".ir.so").size()) + "/";
}

PluginSet::~PluginSet() {
  for (auto it = plugins_.rbegin(); it != plugins_.rend(); ++it) {
    if (it->destroy) {
      int32_t result = it->destroy();
      std::cout << "irhost: plugin/" << it->file << " destroyed (" << result << ")" << std::endl;
    }
    dlclose(it->handle);
  }
}

void PluginSet::event(const std::string& robot, int32_t kind, const std::string& group,
                      const std::string& activeQQ, const std::string& passiveQQ, const std::string& message,
                      const std::string& messageNo, const std::string& messageId, std::ostream& out) {
  for (const Plugin& p : plugins_) {
    int32_t result = p.event(robot.c_str(), kind, 0, group.c_str(), activeQQ.c_str(), passiveQQ.c_str(),
                             message.c_str(), messageNo.c_str(), messageId.c_str(), "", "", 0);
    out << "  " << p.file << " returned " << result << std::endl;
  }
}

void PluginSet::lookUpNickname(const std::string& qq, std::ostream& out) {
  for (const Plugin& p : plugins_) {
    if (!p.nickname) continue;
    const char* nick = p.nickname(qq.c_str());
    out << "  " << p.file << " nickname of " << shown(qq) << " → " << shown(nick ? nick : "") << std::endl;
  }
}

void PluginSet::openSettings(std::ostream& out) {
  for (const Plugin& p : plugins_) {
    if (!p.setUp) continue;
    p.setUp();
    out << "  " << p.file << " settings closed" << std::endl;
  }
}

}  // namespace irhost
