#include "hostkit/host.h"

#include <algorithm>
#include <ostream>

#include "text/gbk.h"

namespace hostkit {

namespace {
std::string num(int64_t n) { return std::to_string(n); }
}  // namespace

std::ostream& operator<<(std::ostream& os, const HostCall& call) {
  os << call.function << "(";
  for (std::size_t i = 0; i < call.args.size(); ++i)
    os << (i ? ", " : "") << '"' << text::gbkToUtf8(call.args[i]) << '"';
  return os << ")";
}

Host::Host(std::shared_ptr<hostapi::HostApi> backend)
    : wiring_(std::make_shared<const Wiring>(Wiring{std::move(backend), {}})) {}

std::shared_ptr<const Host::Wiring> Host::wiring() const {
  std::lock_guard lock(mutex_);
  return wiring_;
}

void Host::rewire(const std::function<void(Wiring&)>& change) {
  std::lock_guard lock(mutex_);
  auto next = std::make_shared<Wiring>(*wiring_);
  change(*next);
  wiring_ = std::move(next);
}

void Host::setBackend(std::shared_ptr<hostapi::HostApi> backend) {
  rewire([&](Wiring& w) { w.backend = std::move(backend); });
}

void Host::addObserver(Observer& observer) {
  rewire([&](Wiring& w) { w.observers.push_back(&observer); });
}

void Host::removeObserver(Observer& observer) {
  rewire([&](Wiring& w) { std::erase(w.observers, &observer); });
}

void Host::answerNullTexts(bool on) { nullTexts_ = on; }
bool Host::answersNullTexts() const { return nullTexts_; }

void Host::tell(const Wiring& w, const char* function, std::vector<std::string> args, const std::string& answer) {
  const HostCall call{function, std::move(args)};
  for (Observer* o : w.observers) o->observe(call, answer);
}

// Each function: the backend first, then the observers, who are told nothing when there are none
// so that an unwatched call builds no record.

void Host::SendMsg(const std::string& robot, int32_t type, const std::string& group, const std::string& qq,
                   const std::string& text, int32_t option) {
  auto w = wiring();
  if (w->backend) w->backend->SendMsg(robot, type, group, qq, text, option);
  if (!w->observers.empty()) tell(*w, "Api_SendMsg", {robot, num(type), group, qq, text, num(option)}, {});
}

void Host::SendXML(const std::string& robot, int32_t a, int32_t b, const std::string& group, const std::string& qq,
                   const std::string& xml, int32_t c) {
  auto w = wiring();
  if (w->backend) w->backend->SendXML(robot, a, b, group, qq, xml, c);
  if (!w->observers.empty()) tell(*w, "Api_SendXML", {robot, num(a), num(b), group, qq, xml, num(c)}, {});
}

void Host::HandleEvent(const std::string& robot, int32_t kind, const std::string& qq, const std::string& group,
                       int32_t answer, const std::string& reason) {
  auto w = wiring();
  if (w->backend) w->backend->HandleEvent(robot, kind, qq, group, answer, reason);
  if (!w->observers.empty())
    tell(*w, "Api_HandleEvent", {robot, num(kind), qq, group, num(answer), reason}, {});
}

int32_t Host::GetObjLevel(const std::string& robot, const std::string& qq) {
  auto w = wiring();
  const int32_t level = w->backend ? w->backend->GetObjLevel(robot, qq) : 0;
  if (!w->observers.empty()) tell(*w, "Api_GetObjLevel", {robot, qq}, num(level));
  return level;
}

std::string Host::GetSign(const std::string& robot, const std::string& qq) {
  auto w = wiring();
  std::string sign = w->backend ? w->backend->GetSign(robot, qq) : std::string();
  if (!w->observers.empty()) tell(*w, "Api_GetSign", {robot, qq}, sign);
  return sign;
}

void Host::ShutUP(const std::string& robot, const std::string& group, const std::string& qq, int32_t seconds) {
  auto w = wiring();
  if (w->backend) w->backend->ShutUP(robot, group, qq, seconds);
  if (!w->observers.empty()) tell(*w, "Api_ShutUP", {robot, group, qq, num(seconds)}, {});
}

void Host::KickGroupMBR(const std::string& robot, const std::string& group, const std::string& qq, bool block) {
  auto w = wiring();
  if (w->backend) w->backend->KickGroupMBR(robot, group, qq, block);
  if (!w->observers.empty()) tell(*w, "Api_KickGroupMBR", {robot, group, qq, block ? "1" : "0"}, {});
}

void Host::WithdrawMsg(const std::string& robot, const std::string& group, const std::string& messageNo,
                       const std::string& messageId) {
  auto w = wiring();
  if (w->backend) w->backend->WithdrawMsg(robot, group, messageNo, messageId);
  if (!w->observers.empty()) tell(*w, "Api_WithdrawMsg", {robot, group, messageNo, messageId}, {});
}

std::string Host::GetPicLink(const std::string& robot, int32_t type, const std::string& group,
                             const std::string& picCode) {
  auto w = wiring();
  std::string link = w->backend ? w->backend->GetPicLink(robot, type, group, picCode) : std::string();
  if (!w->observers.empty()) tell(*w, "Api_GetPicLink", {robot, num(type), group, picCode}, link);
  return link;
}

void Host::OutPutLog(const std::string& text) {
  auto w = wiring();
  if (w->backend) w->backend->OutPutLog(text);
  if (!w->observers.empty()) tell(*w, "Api_OutPutLog", {text}, {});
}

std::string Host::GetQQList() {
  auto w = wiring();
  std::string list = w->backend ? w->backend->GetQQList() : std::string();
  if (!w->observers.empty()) tell(*w, "Api_GetQQList", {}, list);
  return list;
}

std::string Host::GetGroupList(const std::string& robot) {
  auto w = wiring();
  std::string list = w->backend ? w->backend->GetGroupList(robot) : std::string();
  if (!w->observers.empty()) tell(*w, "Api_GetGroupList", {robot}, list);
  return list;
}

std::string Host::GetNick(const std::string& robot, const std::string& qq) {
  auto w = wiring();
  std::string nick = w->backend ? w->backend->GetNick(robot, qq) : std::string();
  if (!w->observers.empty()) tell(*w, "Api_GetNick", {robot, qq}, nick);
  return nick;
}

}  // namespace hostkit
