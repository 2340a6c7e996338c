#include "onebot/action_table.h"

#include <atomic>
#include <random>

namespace onebot {

namespace {

// Echoes carry a per-process prefix so that a reply meant for an earlier run of the bridge (the
// implementation answers late, across a restart) matches nothing.
std::string nextEcho() {
  static const std::string prefix = [] {
    std::random_device rd;
    return "ir" + std::to_string(rd() % 100000) + "-";
  }();
  static std::atomic<unsigned long long> counter{0};
  return prefix + std::to_string(++counter);
}

ActionResult ended(ActionResult::Outcome outcome, std::string message) {
  ActionResult r;
  r.outcome = outcome;
  r.message = std::move(message);
  return r;
}

}  // namespace

ActionTable::ActionTable(std::chrono::milliseconds timeout) : timeout_(timeout) {}

ActionResult ActionTable::call(std::string_view action, nlohmann::json params, const std::function<bool(std::string)>& send) {
  const std::string echo = nextEcho();
  auto pending = std::make_shared<Pending>();
  {
    std::lock_guard lock(mutex_);
    if (closed_) return ended(ActionResult::Outcome::Dropped, "no connection");
    pending_.emplace(echo, pending);
  }
  nlohmann::json request = {{"action", std::string(action)}, {"params", std::move(params)}, {"echo", echo}};
  const bool sent = send(request.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  std::unique_lock lock(mutex_);
  if (!sent) {
    pending_.erase(echo);
    return ended(ActionResult::Outcome::Dropped, "no connection");
  }
  if (!cv_.wait_for(lock, timeout_, [&] { return pending->done; })) {
    pending_.erase(echo);
    return ended(ActionResult::Outcome::TimedOut, "no answer in time");
  }
  return std::move(pending->result);
}

bool ActionTable::complete(const nlohmann::json& reply) {
  if (!reply.is_object()) return false;
  const auto echoIt = reply.find("echo");
  if (echoIt == reply.end() || !echoIt->is_string()) return false;
  ActionResult r;
  const auto status = reply.value("status", std::string());
  const auto retcode = reply.find("retcode");
  if (retcode != reply.end() && retcode->is_number_integer()) r.retcode = retcode->get<int>();
  r.outcome = (status == "ok" || status == "async") ? ActionResult::Outcome::Ok : ActionResult::Outcome::Failed;
  if (const auto data = reply.find("data"); data != reply.end()) r.data = *data;
  for (const char* name : {"wording", "message", "msg"})
    if (const auto m = reply.find(name); r.message.empty() && m != reply.end() && m->is_string()) r.message = m->get<std::string>();
  std::lock_guard lock(mutex_);
  const auto it = pending_.find(echoIt->get<std::string>());
  if (it == pending_.end()) return false;
  it->second->result = std::move(r);
  it->second->done = true;
  pending_.erase(it);
  cv_.notify_all();
  return true;
}

void ActionTable::failAll() {
  std::lock_guard lock(mutex_);
  closed_ = true;
  for (auto& [echo, p] : pending_) {
    p->result = ended(ActionResult::Outcome::Dropped, "connection lost");
    p->done = true;
  }
  pending_.clear();
  cv_.notify_all();
}

std::size_t ActionTable::waiting() const {
  std::lock_guard lock(mutex_);
  return pending_.size();
}

}  // namespace onebot
