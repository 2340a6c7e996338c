#include "hostkit/scripted_host.h"

namespace hostkit {

namespace {
template <class Value>
Value lookUp(const std::map<std::string, Value>& answers, const std::string& key) {
  if (auto it = answers.find(key); it != answers.end()) return it->second;
  if (auto it = answers.find("*"); it != answers.end()) return it->second;
  return Value();
}
}  // namespace

void ScriptedHost::setLevel(const std::string& qq, int32_t level) {
  std::lock_guard lock(mutex_);
  levels_[qq] = level;
}
void ScriptedHost::setSign(const std::string& qq, const std::string& sign) {
  std::lock_guard lock(mutex_);
  signs_[qq] = sign;
}
void ScriptedHost::setNick(const std::string& qq, const std::string& nick) {
  std::lock_guard lock(mutex_);
  nicks_[qq] = nick;
}
void ScriptedHost::setPicLink(const std::string& picCode, const std::string& link) {
  std::lock_guard lock(mutex_);
  picLinks_[picCode] = link;
}
void ScriptedHost::setGroupList(const std::string& text) {
  std::lock_guard lock(mutex_);
  groupList_ = text;
}
void ScriptedHost::setQQList(const std::string& text) {
  std::lock_guard lock(mutex_);
  qqList_ = text;
}

void ScriptedHost::clear() {
  std::lock_guard lock(mutex_);
  levels_.clear();
  signs_.clear();
  nicks_.clear();
  picLinks_.clear();
  groupList_.clear();
  qqList_.clear();
}

std::map<std::string, std::string> ScriptedHost::nicks() const {
  std::lock_guard lock(mutex_);
  return nicks_;
}

int32_t ScriptedHost::GetObjLevel(const std::string&, const std::string& qq) {
  std::lock_guard lock(mutex_);
  return lookUp(levels_, qq);
}
std::string ScriptedHost::GetSign(const std::string&, const std::string& qq) {
  std::lock_guard lock(mutex_);
  return lookUp(signs_, qq);
}
std::string ScriptedHost::GetPicLink(const std::string&, int32_t, const std::string&, const std::string& picCode) {
  std::lock_guard lock(mutex_);
  return lookUp(picLinks_, picCode);
}
std::string ScriptedHost::GetQQList() {
  std::lock_guard lock(mutex_);
  return qqList_;
}
std::string ScriptedHost::GetGroupList(const std::string&) {
  std::lock_guard lock(mutex_);
  return groupList_;
}
std::string ScriptedHost::GetNick(const std::string&, const std::string& qq) {
  std::lock_guard lock(mutex_);
  return lookUp(nicks_, qq);
}

}  // namespace hostkit
