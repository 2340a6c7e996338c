#include "support/recording_host.h"

#include <ostream>
#include <stdexcept>

#include "text/gbk.h"

namespace support {

namespace {
std::string num(int64_t n) { return std::to_string(n); }
}  // namespace

std::ostream& operator<<(std::ostream& os, const HostCall& call) {
  os << call.function << "(";
  for (std::size_t i = 0; i < call.args.size(); ++i) os << (i ? ", " : "") << '"' << text::gbkToUtf8(call.args[i]) << '"';
  return os << ")";
}

std::vector<HostCall> RecordingHost::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::vector<HostCall> RecordingHost::callsTo(std::string_view function) const {
  std::lock_guard lock(mutex_);
  std::vector<HostCall> out;
  for (const HostCall& c : calls_)
    if (c.function == function) out.push_back(c);
  return out;
}

void RecordingHost::clearCalls() {
  std::lock_guard lock(mutex_);
  calls_.clear();
}

void RecordingHost::clear() {
  std::lock_guard lock(mutex_);
  calls_.clear();
  levels_.clear();
  signs_.clear();
  nicks_.clear();
  picLinks_.clear();
  groupList_.clear();
  qqList_.clear();
  armedFaults_.clear();
  nullTexts_ = false;
}

void RecordingHost::setLevel(const std::string& qq, int32_t level) {
  std::lock_guard lock(mutex_);
  levels_[qq] = level;
}
void RecordingHost::setSign(const std::string& qq, const std::string& sign) {
  std::lock_guard lock(mutex_);
  signs_[qq] = sign;
}
void RecordingHost::setNick(const std::string& qq, const std::string& nick) {
  std::lock_guard lock(mutex_);
  nicks_[qq] = nick;
}
void RecordingHost::setPicLink(const std::string& picCode, const std::string& link) {
  std::lock_guard lock(mutex_);
  picLinks_[picCode] = link;
}
void RecordingHost::setGroupList(const std::string& text) {
  std::lock_guard lock(mutex_);
  groupList_ = text;
}
void RecordingHost::setQQList(const std::string& text) {
  std::lock_guard lock(mutex_);
  qqList_ = text;
}

void RecordingHost::failNextCall(const std::string& function, const std::string& message) {
  std::lock_guard lock(mutex_);
  armedFaults_[function] = message;
}

void RecordingHost::answerNullTexts(bool on) {
  std::lock_guard lock(mutex_);
  nullTexts_ = on;
}

bool RecordingHost::answersNullTexts() const {
  std::lock_guard lock(mutex_);
  return nullTexts_;
}

void RecordingHost::record(std::string function, std::vector<std::string> args) {
  std::string fault;
  bool armed = false;
  {
    std::lock_guard lock(mutex_);
    if (auto it = armedFaults_.find(function); it != armedFaults_.end()) {
      fault = it->second;
      armed = true;
      armedFaults_.erase(it);
    }
    calls_.push_back(HostCall{std::move(function), std::move(args)});
  }
  if (armed) throw std::runtime_error(fault);
}

std::string RecordingHost::answer(const std::map<std::string, std::string>& byKey, const std::string& key) const {
  std::lock_guard lock(mutex_);
  if (auto it = byKey.find(key); it != byKey.end()) return it->second;
  if (auto it = byKey.find("*"); it != byKey.end()) return it->second;
  return std::string();
}

void RecordingHost::SendMsg(const std::string& robot, int32_t type, const std::string& group, const std::string& qq,
                            const std::string& text, int32_t option) {
  record("Api_SendMsg", {robot, num(type), group, qq, text, num(option)});
}
void RecordingHost::SendXML(const std::string& robot, int32_t a, int32_t b, const std::string& group,
                            const std::string& qq, const std::string& xml, int32_t c) {
  record("Api_SendXML", {robot, num(a), num(b), group, qq, xml, num(c)});
}
void RecordingHost::HandleEvent(const std::string& robot, int32_t kind, const std::string& qq,
                                const std::string& group, int32_t answer, const std::string& reason) {
  record("Api_HandleEvent", {robot, num(kind), qq, group, num(answer), reason});
}
int32_t RecordingHost::GetObjLevel(const std::string& robot, const std::string& qq) {
  record("Api_GetObjLevel", {robot, qq});
  std::lock_guard lock(mutex_);
  if (auto it = levels_.find(qq); it != levels_.end()) return it->second;
  if (auto it = levels_.find("*"); it != levels_.end()) return it->second;
  return 0;
}
std::string RecordingHost::GetSign(const std::string& robot, const std::string& qq) {
  record("Api_GetSign", {robot, qq});
  return answer(signs_, qq);
}
void RecordingHost::ShutUP(const std::string& robot, const std::string& group, const std::string& qq,
                           int32_t seconds) {
  record("Api_ShutUP", {robot, group, qq, num(seconds)});
}
void RecordingHost::KickGroupMBR(const std::string& robot, const std::string& group, const std::string& qq,
                                 bool block) {
  record("Api_KickGroupMBR", {robot, group, qq, block ? "1" : "0"});
}
void RecordingHost::WithdrawMsg(const std::string& robot, const std::string& group, const std::string& messageNo,
                                const std::string& messageId) {
  record("Api_WithdrawMsg", {robot, group, messageNo, messageId});
}
std::string RecordingHost::GetPicLink(const std::string& robot, int32_t type, const std::string& group,
                                      const std::string& picCode) {
  record("Api_GetPicLink", {robot, num(type), group, picCode});
  return answer(picLinks_, picCode);
}
void RecordingHost::OutPutLog(const std::string& text) { record("Api_OutPutLog", {text}); }
std::string RecordingHost::GetQQList() {
  record("Api_GetQQList", {});
  std::lock_guard lock(mutex_);
  return qqList_;
}
std::string RecordingHost::GetGroupList(const std::string& robot) {
  record("Api_GetGroupList", {robot});
  std::lock_guard lock(mutex_);
  return groupList_;
}
std::string RecordingHost::GetNick(const std::string& robot, const std::string& qq) {
  record("Api_GetNick", {robot, qq});
  return answer(nicks_, qq);
}

RecordingHost& host() {
  static RecordingHost* instance = new RecordingHost;  // outlives every static that may still call in
  return *instance;
}

}  // namespace support

// The host's C functions, exported from the test executable for a plug-in that binds them by name.
namespace {

std::string in(const char* s) { return s ? std::string(s) : std::string(); }

// A returned text stays valid until the next call of the same function on the same thread.
const char* out(std::string& slot, std::string text) {
  slot = std::move(text);
  return support::host().answersNullTexts() ? nullptr : slot.c_str();
}

}  // namespace

#define IR_HOST_EXPORT extern "C" __attribute__((visibility("default")))

IR_HOST_EXPORT int32_t Api_SendMsg(const char* robot, int32_t type, const char* group, const char* qq,
                                   const char* text, int32_t option) {
  support::host().SendMsg(in(robot), type, in(group), in(qq), in(text), option);
  return 0;
}
IR_HOST_EXPORT int32_t Api_SendXML(const char* robot, int32_t a, int32_t b, const char* group, const char* qq,
                                   const char* xml, int32_t c) {
  support::host().SendXML(in(robot), a, b, in(group), in(qq), in(xml), c);
  return 0;
}
IR_HOST_EXPORT int32_t Api_HandleEvent(const char* robot, int32_t kind, const char* qq, const char* group,
                                       int32_t answer, const char* reason) {
  support::host().HandleEvent(in(robot), kind, in(qq), in(group), answer, in(reason));
  return 0;
}
IR_HOST_EXPORT int32_t Api_GetObjLevel(const char* robot, const char* qq) {
  return support::host().GetObjLevel(in(robot), in(qq));
}
IR_HOST_EXPORT const char* Api_GetSign(const char* robot, const char* qq) {
  thread_local std::string slot;
  return out(slot, support::host().GetSign(in(robot), in(qq)));
}
IR_HOST_EXPORT int32_t Api_ShutUP(const char* robot, const char* group, const char* qq, int32_t seconds) {
  support::host().ShutUP(in(robot), in(group), in(qq), seconds);
  return 0;
}
IR_HOST_EXPORT int32_t Api_KickGroupMBR(const char* robot, const char* group, const char* qq, int32_t block) {
  support::host().KickGroupMBR(in(robot), in(group), in(qq), block != 0);
  return 0;
}
IR_HOST_EXPORT int32_t Api_WithdrawMsg(const char* robot, const char* group, const char* messageNo,
                                       const char* messageId) {
  support::host().WithdrawMsg(in(robot), in(group), in(messageNo), in(messageId));
  return 0;
}
IR_HOST_EXPORT const char* Api_GetPicLink(const char* robot, int32_t type, const char* group, const char* picCode) {
  thread_local std::string slot;
  return out(slot, support::host().GetPicLink(in(robot), type, in(group), in(picCode)));
}
IR_HOST_EXPORT int32_t Api_OutPutLog(const char* text) {
  support::host().OutPutLog(in(text));
  return 0;
}
IR_HOST_EXPORT const char* Api_GetQQList() {
  thread_local std::string slot;
  return out(slot, support::host().GetQQList());
}
IR_HOST_EXPORT const char* Api_GetGroupList(const char* robot) {
  thread_local std::string slot;
  return out(slot, support::host().GetGroupList(in(robot)));
}
IR_HOST_EXPORT const char* Api_GetNick(const char* robot, const char* qq) {
  thread_local std::string slot;
  return out(slot, support::host().GetNick(in(robot), in(qq)));
}
