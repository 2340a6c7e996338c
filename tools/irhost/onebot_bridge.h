// OneBotBridge: the plug-ins of a host served by OneBot v11 implementations. It takes the links of
// any number of transports (reverse server, forward client), hands each event a plug-in gets to
// every plug-in's IR_Event on a worker of a GroupDispatcher (one group's events in order, groups
// side by side, never on a network thread), and, as the backend of the host functions, turns each
// call a plug-in makes into a OneBot action on the link of the robot named, waiting for its reply.
//
// An action that fails, times out or finds no link makes its host function answer "" or 0 and
// writes one line to the log. Sends to one group are paced. A frame that cannot be taken while the
// queue is full pauses its link until there is room, except while calls of that link wait for
// replies (they come on the same link): reading then goes on up to four times the capacity.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <iosfwd>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "hostapi/host_api.h"
#include "onebot/action_table.h"
#include "onebot/events.h"
#include "onebot/group_dispatcher.h"
#include "onebot/link.h"
#include "onebot/message_convert.h"
#include "onebot/send_pacer.h"

namespace hostkit {
class PluginSet;
}

namespace irhost {

struct BridgeOptions {
  std::chrono::milliseconds pace{500};            // between sends to one group; 0 switches pacing off
  std::chrono::milliseconds actionTimeout{10000};
  std::chrono::seconds duplicateWindow{60};       // member increases of the same member count once
  std::size_t workers = 4;
  std::size_t capacity = 256;                     // events queued before a link is paused
  bool quiet = false;                             // no line per event and per action
};

class OneBotBridge : public hostapi::HostApi {
 public:
  // `log` gets the event lines, the connection lines and one line per failed action; it must be
  // safe to share (the bridge writes whole lines under its own lock).
  OneBotBridge(hostkit::PluginSet& plugins, BridgeOptions options, std::ostream& log);
  ~OneBotBridge() override;

  // The handlers for one transport; `attach` gives the bridge that transport once it exists (links
  // that open before it is attached wait for it to send).
  struct Slot;
  onebot::LinkHandlers handlers(std::shared_ptr<Slot>& slot);
  static void attach(Slot& slot, onebot::Transport* transport);

  // Shutdown, first step: events that arrive from now on are not delivered (replies still are).
  // Then waits up to `limit` for the events in hand; true when they are all done.
  bool finish(std::chrono::milliseconds limit);

  // Events handed to the plug-ins, plus events not delivered (skipped, dropped as duplicates,
  // refused while stopping); the demo waits on it.
  std::size_t framesSettled() const;
  bool waitSettled(std::size_t count, std::chrono::milliseconds limit) const;
  std::size_t linksOpen() const;

  // The line written for one log text, as shown (for Api_OutPutLog when quiet).
  void logLine(const std::string& line);

  // hostapi::HostApi: the host functions as OneBot actions.
  void SendMsg(const std::string& robot, int32_t type, const std::string& group, const std::string& qq,
               const std::string& text, int32_t option) override;
  void SendXML(const std::string& robot, int32_t a, int32_t b, const std::string& group, const std::string& qq,
               const std::string& xml, int32_t c) override;
  void HandleEvent(const std::string& robot, int32_t kind, const std::string& qq, const std::string& group,
                   int32_t answer, const std::string& reason) override;
  int32_t GetObjLevel(const std::string& robot, const std::string& qq) override;
  std::string GetSign(const std::string& robot, const std::string& qq) override;
  void ShutUP(const std::string& robot, const std::string& group, const std::string& qq, int32_t seconds) override;
  void KickGroupMBR(const std::string& robot, const std::string& group, const std::string& qq, bool block) override;
  void WithdrawMsg(const std::string& robot, const std::string& group, const std::string& messageNo,
                   const std::string& messageId) override;
  std::string GetPicLink(const std::string& robot, int32_t type, const std::string& group,
                         const std::string& picCode) override;
  void OutPutLog(const std::string& text) override;
  std::string GetQQList() override;
  std::string GetGroupList(const std::string& robot) override;
  std::string GetNick(const std::string& robot, const std::string& qq) override;

 private:
  struct Link;
  std::shared_ptr<Link> linkFor(const std::string& robot) const;
  onebot::ActionResult act(const std::string& robot, const char* action, nlohmann::json params);
  nlohmann::json stranger(const std::string& robot, const std::string& qq);
  void sendMessage(const std::string& robot, const std::string& group, const std::string& user,
                   nlohmann::json segments);
  onebot::ReadControl onFrame(onebot::LinkId id, std::string frame);
  void deliver(const onebot::EventCall& event);
  void settle();

  hostkit::PluginSet& plugins_;
  BridgeOptions options_;
  std::ostream& log_;
  std::mutex logMutex_;

  onebot::PictureTable pictures_;
  onebot::DuplicateFilter duplicates_;
  onebot::RequestFlags requestFlags_;
  onebot::SendPacer pacer_;

  mutable std::mutex mutex_;
  std::map<onebot::LinkId, std::shared_ptr<Link>> links_;
  std::map<std::string, std::shared_ptr<Link>> byRobot_;  // the newest link of each robot

  mutable std::mutex settledMutex_;
  mutable std::condition_variable settledChanged_;
  std::size_t settled_ = 0;
  std::atomic<bool> stopping_{false};

  // Last: its workers stop (running what is queued) before the members above go.
  onebot::GroupDispatcher dispatcher_;
};

}  // namespace irhost
