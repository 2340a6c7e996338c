// ActionTable: the calls waiting for replies on one link. A call sends {"action","params","echo"}
// with an echo unique in the process and blocks its thread until the reply with that echo comes,
// the timeout passes or the link drops; replies may come in any order. One table per link: when
// the link goes, failAll() ends every waiting call at once and later calls end at once too.
#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace onebot {

struct ActionResult {
  enum class Outcome { Ok, Failed, TimedOut, Dropped };
  Outcome outcome = Outcome::Dropped;
  nlohmann::json data;  // the reply's "data" (Ok; may be null)
  int retcode = 0;      // the reply's retcode (Ok, Failed)
  std::string message;  // the peer's message or wording (Failed), or what happened
  bool ok() const { return outcome == Outcome::Ok; }
};

class ActionTable {
 public:
  explicit ActionTable(std::chrono::milliseconds timeout = std::chrono::seconds(10));

  // `send` takes the request frame (UTF-8 JSON) and says whether it could be handed to the link.
  ActionResult call(std::string_view action, nlohmann::json params, const std::function<bool(std::string)>& send);

  // A reply frame (an object without post_type). False when no waiting call has its echo (late
  // replies after a timeout land here).
  bool complete(const nlohmann::json& reply);

  void failAll();  // the link is gone
  std::size_t waiting() const;

 private:
  struct Pending {
    bool done = false;
    ActionResult result;
  };
  std::chrono::milliseconds timeout_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  bool closed_ = false;
  std::unordered_map<std::string, std::shared_ptr<Pending>> pending_;
};

}  // namespace onebot
