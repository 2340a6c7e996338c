#include "onebot_bridge.h"

#include <charconv>
#include <optional>
#include <ostream>
#include <thread>

#include "display.h"
#include "hostkit/plugin_set.h"
#include "onebot/json_frame.h"
#include "text/gbk.h"

namespace irhost {

using nlohmann::json;
using onebot::ActionResult;

// The transport a set of links came by; sends wait briefly for it while it is being attached.
struct OneBotBridge::Slot {
  std::mutex mutex;
  std::condition_variable attached;
  onebot::Transport* transport = nullptr;

  onebot::Transport* get() {
    std::unique_lock lock(mutex);
    attached.wait_for(lock, std::chrono::seconds(2), [&] { return transport != nullptr; });
    return transport;
  }
};

struct OneBotBridge::Link {
  onebot::LinkId id = 0;
  std::string robot;  // "" until the peer names it (forward links learn it from the first event)
  std::shared_ptr<Slot> slot;
  std::shared_ptr<onebot::ActionTable> table;
  std::atomic<bool> paused{false};
};

namespace {

// The event being handled on this thread: its group stands in for the "0" of a private message
// (a temporary session needs one), its robot answers Api_GetQQList.
thread_local const onebot::EventCall* eventInHand = nullptr;

// A QQ, group or message number as the JSON number OneBot expects; nullopt for anything else.
std::optional<long long> idNumber(const std::string& s) {
  long long value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty() || s[0] == '+') return std::nullopt;
  return value;
}

std::string textOf(const json& data, std::initializer_list<const char*> names) {
  if (!data.is_object()) return "";
  for (const char* name : names) {
    const auto it = data.find(name);
    if (it == data.end()) continue;
    if (it->is_string()) return it->get<std::string>();
    if (it->is_number()) return it->dump();
  }
  return "";
}

bool isWebAddress(const std::string& s) { return s.starts_with("http://") || s.starts_with("https://"); }

// A text from outside as the plug-in reads it: GBK, with no code a member could have planted.
std::string hostText(const std::string& utf8) { return text::utf8ToGbk(onebot::neutraliseCodes(utf8)); }

}  // namespace

OneBotBridge::OneBotBridge(hostkit::PluginSet& plugins, BridgeOptions options, std::ostream& log)
    : plugins_(plugins),
      options_(options),
      log_(log),
      duplicates_(options.duplicateWindow),
      pacer_(options.pace),
      dispatcher_(options.workers, options.capacity) {}

OneBotBridge::~OneBotBridge() = default;

void OneBotBridge::logLine(const std::string& line) {
  std::lock_guard lock(logMutex_);
  log_ << line << std::endl;
}

onebot::LinkHandlers OneBotBridge::handlers(std::shared_ptr<Slot>& slot) {
  slot = std::make_shared<Slot>();
  onebot::LinkHandlers h;
  h.onOpen = [this, slot](onebot::LinkId id, const std::string& selfId) {
    auto link = std::make_shared<Link>();
    link->id = id;
    link->robot = selfId;
    link->slot = slot;
    link->table = std::make_shared<onebot::ActionTable>(options_.actionTimeout);
    {
      std::lock_guard lock(mutex_);
      links_[id] = link;
      if (!selfId.empty()) byRobot_[selfId] = link;
    }
    logLine("* robot " + (selfId.empty() ? std::string("(not named yet)") : selfId) + " connected");
  };
  h.onFrame = [this](onebot::LinkId id, std::string frame) { return onFrame(id, std::move(frame)); };
  h.onClose = [this](onebot::LinkId id, const std::string& reason) {
    std::shared_ptr<Link> link;
    {
      std::lock_guard lock(mutex_);
      const auto it = links_.find(id);
      if (it == links_.end()) return;
      link = it->second;
      links_.erase(it);
      const auto r = byRobot_.find(link->robot);
      if (r != byRobot_.end() && r->second == link) byRobot_.erase(r);
    }
    link->table->failAll();
    logLine("* robot " + (link->robot.empty() ? std::string("(not named)") : link->robot) + " disconnected: " + reason);
  };
  return h;
}

void OneBotBridge::attach(Slot& slot, onebot::Transport* transport) {
  {
    std::lock_guard lock(slot.mutex);
    slot.transport = transport;
  }
  slot.attached.notify_all();
}

onebot::ReadControl OneBotBridge::onFrame(onebot::LinkId id, std::string frame) {
  std::shared_ptr<Link> link;
  {
    std::lock_guard lock(mutex_);
    const auto it = links_.find(id);
    if (it != links_.end()) link = it->second;
  }
  if (!link) return onebot::ReadControl::Continue;
  onebot::Frame f = onebot::readFrame(frame, pictures_);
  switch (f.kind) {
    case onebot::FrameKind::Reply:
      link->table->complete(f.json);
      return onebot::ReadControl::Continue;
    case onebot::FrameKind::Malformed:
      logLine("! frame of robot " + link->robot + " ignored: " + f.what);
      settle();
      return onebot::ReadControl::Continue;
    case onebot::FrameKind::Skipped:
      settle();
      return onebot::ReadControl::Continue;
    case onebot::FrameKind::Event: break;
  }
  onebot::EventCall event = std::move(*f.event);
  if (link->robot.empty()) {  // a forward link learns its robot from the first event
    std::lock_guard lock(mutex_);
    link->robot = event.robot;
    byRobot_[event.robot] = link;
  }
  if (stopping_) {
    logLine("! " + std::string(eventKindName(event.kind)) + " of group " + event.group + " not taken: shutting down");
    settle();
    return onebot::ReadControl::Continue;
  }
  if (!duplicates_.admit(event)) {
    if (!options_.quiet)
      logLine("> duplicate " + std::string(eventKindName(event.kind)) + " (kind " + std::to_string(event.kind) +
              ") group " + event.group + " dropped");
    settle();
    return onebot::ReadControl::Continue;
  }
  if (event.kind == 213 || event.kind == 214) requestFlags_.remember(event);
  const std::string key = event.robot + "|" + event.group;
  const bool room = dispatcher_.post(key, [this, e = std::move(event)] {
    deliver(e);
    settle();
  });
  if (room) return onebot::ReadControl::Continue;
  // Full. Replies to the calls that hold the workers come on this link: keep reading for them,
  // within a hard ceiling.
  if (link->table->waiting() > 0 && dispatcher_.queued() < 4 * options_.capacity) return onebot::ReadControl::Continue;
  link->paused = true;
  dispatcher_.whenRoom([link] {
    if (!link->paused.exchange(false)) return;
    if (onebot::Transport* t = link->slot->get()) t->resume(link->id);
  });
  return onebot::ReadControl::Pause;
}

void OneBotBridge::deliver(const onebot::EventCall& e) {
  if (!options_.quiet) {
    std::string line = "> " + std::string(eventKindName(e.kind)) + " (kind " + std::to_string(e.kind) + ") robot " +
                       e.robot + " group " + e.group;
    if (!e.active.empty()) line += " active " + e.active;
    if (!e.passive.empty()) line += " passive " + e.passive;
    if (e.kind == 2) line += " #" + e.messageId;
    if (!e.message.empty()) line += ": " + shown(e.message);
    logLine(line);
  }
  eventInHand = &e;
  for (const auto& p : plugins_.plugins()) {
    p->event(e.robot.c_str(), e.kind, e.subKind, e.group.c_str(), e.active.c_str(), e.passive.c_str(),
             e.message.c_str(), e.messageNo.c_str(), e.messageId.c_str(), "", "", 0);
  }
  eventInHand = nullptr;
}

void OneBotBridge::settle() {
  {
    std::lock_guard lock(settledMutex_);
    ++settled_;
  }
  settledChanged_.notify_all();
}

std::size_t OneBotBridge::framesSettled() const {
  std::lock_guard lock(settledMutex_);
  return settled_;
}

bool OneBotBridge::waitSettled(std::size_t count, std::chrono::milliseconds limit) const {
  std::unique_lock lock(settledMutex_);
  return settledChanged_.wait_for(lock, limit, [&] { return settled_ >= count; });
}

std::size_t OneBotBridge::linksOpen() const {
  std::lock_guard lock(mutex_);
  return links_.size();
}

bool OneBotBridge::finish(std::chrono::milliseconds limit) {
  stopping_ = true;
  return dispatcher_.drain(limit);
}

// ---- the host functions ----

std::shared_ptr<OneBotBridge::Link> OneBotBridge::linkFor(const std::string& robot) const {
  std::lock_guard lock(mutex_);
  const auto it = byRobot_.find(robot);
  if (it != byRobot_.end()) return it->second;
  // A caller that names no robot it knows (the settings window before any event) gets the only
  // robot there is.
  if (links_.size() == 1) return links_.begin()->second;
  return nullptr;
}

ActionResult OneBotBridge::act(const std::string& robot, const char* action, json params) {
  ActionResult r;
  const std::shared_ptr<Link> link = linkFor(robot);
  if (!link) {
    r.message = "robot " + robot + " is not connected";
  } else {
    r = link->table->call(action, std::move(params), [&link](std::string frame) {
      onebot::Transport* t = link->slot->get();
      if (!t) return false;
      t->send(link->id, std::move(frame));
      return true;
    });
  }
  if (!r.ok()) {
    std::string why;
    switch (r.outcome) {
      case ActionResult::Outcome::TimedOut:
        why = "no answer in " + std::to_string(options_.actionTimeout.count() / 1000) + " s";
        break;
      case ActionResult::Outcome::Failed:
        why = "failed (retcode " + std::to_string(r.retcode) + (r.message.empty() ? "" : ": " + r.message) + ")";
        break;
      default: why = r.message.empty() ? "no connection" : r.message; break;
    }
    logLine("! " + std::string(action) + " for robot " + robot + ": " + why);
  }
  return r;
}

void OneBotBridge::sendMessage(const std::string& robot, const std::string& group, const std::string& user,
                               json segments) {
  if (segments.empty()) segments.push_back({{"type", "text"}, {"data", {{"text", ""}}}});
  if (!group.empty()) {
    const auto g = idNumber(group);
    if (!g || *g <= 0) return logLine("! send to group \"" + shown(group) + "\": not a group number");
    pacer_.wait(robot + "|" + group);
    act(robot, "send_group_msg", {{"group_id", *g}, {"message", std::move(segments)}});
    return;
  }
  const auto u = idNumber(user);
  if (!u || *u <= 0) return logLine("! private message to \"" + shown(user) + "\": not a QQ number");
  json params = {{"user_id", *u}, {"message", std::move(segments)}};
  pacer_.wait(robot + "|private|" + user);
  act(robot, "send_private_msg", std::move(params));
}

void OneBotBridge::SendMsg(const std::string& robot, int32_t type, const std::string& group, const std::string& qq,
                           const std::string& text, int32_t) {
  json segments = onebot::toSegments(text, &pictures_);
  if (type != 1) return sendMessage(robot, group, "", std::move(segments));
  const auto u = idNumber(qq);
  if (!u || *u <= 0) return logLine("! private message to \"" + shown(qq) + "\": not a QQ number");
  json params = {{"user_id", *u}, {"message", std::move(segments)}};
  // A private message to a member who is no friend goes as a temporary session of a group: the
  // one named, or for "0" (and "111") the group of the event being handled.
  std::string via = group;
  if ((via.empty() || via == "0" || via == "111") && eventInHand) via = eventInHand->group;
  if (const auto g = idNumber(via); g && *g > 0) params["group_id"] = *g;
  pacer_.wait(robot + "|private|" + qq);
  act(robot, "send_private_msg", std::move(params));
}

void OneBotBridge::SendXML(const std::string& robot, int32_t, int32_t, const std::string& group, const std::string&,
                           const std::string& xml, int32_t) {
  // The implementations drop card messages; the card's text goes as plain text.
  sendMessage(robot, group, "", onebot::toSegments(onebot::cardText(xml), &pictures_));
}

void OneBotBridge::HandleEvent(const std::string& robot, int32_t, const std::string& qq, const std::string& group,
                               int32_t answer, const std::string& reason) {
  const std::string flag = requestFlags_.find(robot, group, qq);
  if (flag.empty()) return logLine("! no join request of " + shown(qq) + " to group " + shown(group) + " to answer");
  act(robot, "set_group_add_request",
      {{"flag", flag}, {"sub_type", "add"}, {"type", "add"}, {"approve", answer == 10},
       {"reason", text::gbkToUtf8(reason)}});
}

json OneBotBridge::stranger(const std::string& robot, const std::string& qq) {
  const auto u = idNumber(qq);
  if (!u || *u <= 0) return json();
  ActionResult r = act(robot, "get_stranger_info", {{"user_id", *u}, {"no_cache", true}});
  return r.ok() ? std::move(r.data) : json();
}

int32_t OneBotBridge::GetObjLevel(const std::string& robot, const std::string& qq) {
  const std::string level = textOf(stranger(robot, qq), {"qqLevel", "level"});
  try {
    return level.empty() ? 0 : static_cast<int32_t>(std::stol(level));
  } catch (...) {
    return 0;
  }
}

std::string OneBotBridge::GetSign(const std::string& robot, const std::string& qq) {
  return hostText(textOf(stranger(robot, qq), {"long_nick", "sign", "longNick"}));
}

std::string OneBotBridge::GetNick(const std::string& robot, const std::string& qq) {
  return hostText(textOf(stranger(robot, qq), {"nickname", "nick"}));
}

void OneBotBridge::ShutUP(const std::string& robot, const std::string& group, const std::string& qq, int32_t seconds) {
  const auto g = idNumber(group), u = idNumber(qq);
  if (!g || !u) return logLine("! ban of \"" + shown(qq) + "\" in \"" + shown(group) + "\": not a QQ or group number");
  act(robot, "set_group_ban", {{"group_id", *g}, {"user_id", *u}, {"duration", seconds < 0 ? 0 : seconds}});
}

void OneBotBridge::KickGroupMBR(const std::string& robot, const std::string& group, const std::string& qq, bool block) {
  const auto g = idNumber(group), u = idNumber(qq);
  if (!g || !u) return logLine("! kick of \"" + shown(qq) + "\" from \"" + shown(group) + "\": not a QQ or group number");
  act(robot, "set_group_kick", {{"group_id", *g}, {"user_id", *u}, {"reject_add_request", block}});
}

void OneBotBridge::WithdrawMsg(const std::string& robot, const std::string&, const std::string& messageNo,
                               const std::string& messageId) {
  // Both numbers of an event are the implementation's message_id; either serves.
  auto id = idNumber(messageId);
  if (!id) id = idNumber(messageNo);
  if (!id) return logLine("! withdrawal of message \"" + shown(messageId) + "\": not a message number");
  act(robot, "delete_msg", {{"message_id", *id}});
}

std::string OneBotBridge::GetPicLink(const std::string& robot, int32_t, const std::string&, const std::string& picCode) {
  const auto picture = pictures_.find(picCode);
  if (!picture) return "";
  if (!picture->url.empty()) return picture->url;
  if (picture->file.empty()) return "";
  ActionResult r = act(robot, "get_image", {{"file", picture->file}});
  const std::string url = r.ok() ? textOf(r.data, {"url"}) : "";
  return isWebAddress(url) ? url : "";
}

void OneBotBridge::OutPutLog(const std::string& text) {
  // Shown by the printing observer when irhost is not quiet; the plug-in's log is shown anyway.
  if (options_.quiet) logLine("  log " + shown(text));
}

std::string OneBotBridge::GetQQList() {
  if (eventInHand) return eventInHand->robot;
  std::shared_ptr<Link> link;
  {
    std::lock_guard lock(mutex_);
    if (!byRobot_.empty()) link = byRobot_.begin()->second;
    else if (!links_.empty()) link = links_.begin()->second;
  }
  if (!link) return "";
  ActionResult r = act(link->robot, "get_login_info", json::object());
  const std::string qq = r.ok() ? textOf(r.data, {"user_id"}) : "";
  return onebot::isQqNumber(qq) ? qq : link->robot;
}

std::string OneBotBridge::GetGroupList(const std::string& robot) {
  ActionResult r = act(robot, "get_group_list", json::object());
  if (!r.ok() || !r.data.is_array()) return "";
  // The objects the settings window reads: auth, flag, groupid, groupname, in that order. A quote
  // in a group's name would end the name early there, so it becomes an apostrophe.
  std::string list = "[";
  for (const json& g : r.data) {
    const std::string number = textOf(g, {"group_id"});
    if (!onebot::isQqNumber(number)) continue;
    std::string name = onebot::neutraliseCodes(textOf(g, {"group_name"}));
    for (char& c : name)
      if (c == '"') c = '\'';
    if (list.size() > 1) list += ",";
    list += "{\"auth\":0,\"flag\":0,\"groupid\":" + number + ",\"groupname\":\"" + name + "\"}";
  }
  list += "]";
  return text::utf8ToGbk(list);
}

}  // namespace irhost
