#include "host_script.h"

namespace irhost {

namespace {
template <class Value>
Value lookUp(const std::map<std::string, Value>& answers, const std::string& key) {
  if (auto it = answers.find(key); it != answers.end()) return it->second;
  if (auto it = answers.find("*"); it != answers.end()) return it->second;
  return Value();
}
}  // namespace

int32_t HostScript::level(const std::string& qq) const { return lookUp(levels, qq); }
std::string HostScript::sign(const std::string& qq) const { return lookUp(signs, qq); }
std::string HostScript::nick(const std::string& qq) const { return lookUp(nicks, qq); }
std::string HostScript::picLink(const std::string& code) const { return lookUp(picLinks, code); }

HostScript& hostScript() {
  static HostScript script;
  return script;
}

}  // namespace irhost
