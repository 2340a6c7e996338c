// OneBot frames read as IR_Event calls.
//
// A frame is a reply to an action (a JSON object without "post_type"), an event the plug-in gets,
// an event it does not get (own messages, heartbeats, lifecycle, everything else), or malformed.
// Delivered kinds: 2 group message; 212 member joined (approved, or invited with operator 0);
// 219 member invited (active = inviter); 213 join request (message = the comment); 214 join
// request proposed by a member (passive = that member). The robot is the event's self_id.
#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "onebot/message_convert.h"

namespace onebot {

// The arguments of one IR_Event call; texts in GBK.
struct EventCall {
  std::string robot;
  std::int32_t kind = 0;
  std::int32_t subKind = 0;
  std::string group, active, passive, message, messageNo, messageId;
  std::string flag;  // join requests: what set_group_add_request answers with
};

enum class FrameKind { Reply, Event, Skipped, Malformed };

struct Frame {
  FrameKind kind = FrameKind::Malformed;
  nlohmann::json json;              // the parsed frame (Reply, Event, Skipped)
  std::optional<EventCall> event;   // Event only
  std::string what;                 // Skipped/Malformed: a short reason for the log
};

// Pictures of a group message are remembered in `pictures` as the message is converted.
Frame readFrame(std::string_view utf8, PictureTable& pictures);

// Drops the duplicates that implementations are known to send: a join request whose flag was seen
// already (the most recent 4096 flags are kept), and a member increase of the same robot, group
// and member within `window`. Everything else is admitted. Safe to use from several threads.
class DuplicateFilter {
 public:
  using Clock = std::chrono::steady_clock;
  explicit DuplicateFilter(std::chrono::seconds window = std::chrono::seconds(60));
  bool admit(const EventCall& event, Clock::time_point now = Clock::now());

 private:
  std::mutex mutex_;
  std::chrono::seconds window_;
  std::set<std::string> flags_;
  std::deque<std::string> flagOrder_;
  std::unordered_map<std::string, Clock::time_point> increases_;
  std::deque<std::pair<Clock::time_point, std::string>> increaseOrder_;
};

// The flag of the latest join request of an applicant in a group, for answering it later
// (Api_HandleEvent names only robot, group and applicant). Keeps the most recent 4096.
class RequestFlags {
 public:
  void remember(const EventCall& request);
  std::string find(const std::string& robot, const std::string& group, const std::string& applicant) const;

 private:
  mutable std::mutex mutex_;
  std::unordered_map<std::string, std::string> flags_;
  std::deque<std::string> order_;
};

}  // namespace onebot
