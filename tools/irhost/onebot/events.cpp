#include "onebot/events.h"

#include "onebot/json_frame.h"
#include "text/gbk.h"

namespace onebot {

namespace {

constexpr std::size_t kKeep = 4096;

std::string field(const nlohmann::json& j, const char* name) {
  const auto it = j.find(name);
  return it == j.end() ? std::string() : numberText(*it);
}

std::string textField(const nlohmann::json& j, const char* name) {
  const auto it = j.find(name);
  return it != j.end() && it->is_string() ? it->get<std::string>() : std::string();
}

bool isId(const std::string& s) { return !s.empty() && s != "0" && s.front() != '-'; }

Frame skipped(nlohmann::json j, std::string what) {
  Frame f;
  f.kind = FrameKind::Skipped;
  f.json = std::move(j);
  f.what = std::move(what);
  return f;
}

Frame malformed(std::string what) {
  Frame f;
  f.what = std::move(what);
  return f;
}

}  // namespace

Frame readFrame(std::string_view utf8, PictureTable& pictures) {
  auto parsed = readJson(utf8);
  if (!parsed) return malformed("not JSON");
  nlohmann::json j = std::move(*parsed);
  if (!j.is_object()) return malformed("not a JSON object");
  if (!j.contains("post_type")) {
    Frame f;
    f.kind = FrameKind::Reply;
    f.json = std::move(j);
    return f;
  }
  const std::string postType = textField(j, "post_type");
  const std::string robot = field(j, "self_id");
  if (!isId(robot)) return malformed("event without self_id");
  EventCall e;
  e.robot = robot;
  e.group = field(j, "group_id");

  if (postType == "message") {
    if (textField(j, "message_type") != "group") return skipped(std::move(j), "private message");
    e.active = field(j, "user_id");
    if (!isId(e.group) || !isId(e.active)) return malformed("group message without group or sender");
    if (e.active == robot) return skipped(std::move(j), "own message");
    e.kind = 2;
    e.messageNo = e.messageId = field(j, "message_id");
    const auto message = j.find("message");
    if (message != j.end()) e.message = toHostText(*message, pictures);
  } else if (postType == "notice") {
    if (textField(j, "notice_type") != "group_increase") return skipped(std::move(j), "notice");
    e.passive = field(j, "user_id");
    e.active = field(j, "operator_id");
    if (!isId(e.group) || !isId(e.passive)) return malformed("member increase without group or member");
    if (e.passive == robot) return skipped(std::move(j), "the robot itself joined");
    // An invite whose inviter is unknown (operator 0) is told as a plain join.
    const bool invited = textField(j, "sub_type") == "invite" && isId(e.active);
    e.kind = invited ? 219 : 212;
    if (!isId(e.active)) e.active.clear();
  } else if (postType == "request") {
    if (textField(j, "request_type") != "group" || textField(j, "sub_type") != "add")
      return skipped(std::move(j), "request");
    e.active = field(j, "user_id");
    e.flag = textField(j, "flag");
    if (e.flag.empty()) e.flag = field(j, "flag");
    if (!isId(e.group) || !isId(e.active) || e.flag.empty()) return malformed("join request without group, applicant or flag");
    const std::string invitor = field(j, "invitor_id");
    e.kind = isId(invitor) ? 214 : 213;
    if (e.kind == 214) e.passive = invitor;
    e.message = text::utf8ToGbk(neutraliseCodes(textField(j, "comment")));
  } else {
    return skipped(std::move(j), postType.empty() ? "no post_type" : postType);
  }
  Frame f;
  f.kind = FrameKind::Event;
  f.json = std::move(j);
  f.event = std::move(e);
  return f;
}

DuplicateFilter::DuplicateFilter(std::chrono::seconds window) : window_(window) {}

bool DuplicateFilter::admit(const EventCall& event, Clock::time_point now) {
  std::lock_guard lock(mutex_);
  if (event.kind == 213 || event.kind == 214) {
    const std::string key = event.robot + "|" + event.flag;
    if (!flags_.insert(key).second) return false;
    flagOrder_.push_back(key);
    if (flagOrder_.size() > kKeep) {
      flags_.erase(flagOrder_.front());
      flagOrder_.pop_front();
    }
    return true;
  }
  if (event.kind == 212 || event.kind == 219) {
    while (!increaseOrder_.empty() && now - increaseOrder_.front().first >= window_) {
      const auto it = increases_.find(increaseOrder_.front().second);
      if (it != increases_.end() && it->second == increaseOrder_.front().first) increases_.erase(it);
      increaseOrder_.pop_front();
    }
    const std::string key = event.robot + "|" + event.group + "|" + event.passive;
    const auto it = increases_.find(key);
    if (it != increases_.end() && now - it->second < window_) return false;
    increases_[key] = now;
    increaseOrder_.emplace_back(now, key);
    return true;
  }
  return true;
}

void RequestFlags::remember(const EventCall& request) {
  std::lock_guard lock(mutex_);
  const std::string key = request.robot + "|" + request.group + "|" + request.active;
  if (flags_.insert_or_assign(key, request.flag).second) order_.push_back(key);
  if (order_.size() > kKeep) {
    flags_.erase(order_.front());
    order_.pop_front();
  }
}

std::string RequestFlags::find(const std::string& robot, const std::string& group, const std::string& applicant) const {
  std::lock_guard lock(mutex_);
  const auto it = flags_.find(robot + "|" + group + "|" + applicant);
  return it == flags_.end() ? std::string() : it->second;
}

}  // namespace onebot
