// irhost demo --onebot: the demo session told through the OneBot bridge. A OneBot implementation
// stand-in connects to the bridge's reverse WebSocket server like NapCatQQ would, sends each event
// of the session as the implementation's JSON, and answers the bridge's actions from the session's
// script (levels, names, signatures, picture addresses), showing each action as it arrives.
#include <iostream>
#include <mutex>

#include "display.h"
#include "host_printer.h"
#include "hostkit/host.h"
#include "hostkit/plugin_set.h"
#include "hostkit/scripted_host.h"
#include "onebot/message_convert.h"
#include "onebot/reverse_server.h"
#include "onebot_bridge.h"
#include "plugin_files.h"
#include "serve.h"
#include "session.h"
#include "stubs/onebot_standin.h"
#include "text/gbk.h"

namespace irhost {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

long long numberOr(const std::string& s, long long fallback) {
  try {
    return s.empty() ? fallback : std::stoll(s);
  } catch (...) {
    return fallback;
  }
}

// A JSON value shown on one console line, with the stand-ins' addresses named.
std::string showJson(const json& j) {
  return shown(text::utf8ToGbk(j.dump(-1, ' ', false, json::error_handler_t::replace)));
}

class OneBotRoute : public EventRoute {
 public:
  OneBotRoute(stubs::OneBotStandin& standin, OneBotBridge& bridge, hostkit::ScriptedHost& script, std::ostream& out)
      : standin_(standin), bridge_(bridge), script_(script), out_(out) {}

  // The stand-in's answers come from the session's script, and each action is shown as it comes.
  void scriptAnswers() {
    auto show = [this](const char* action, const json& params) {
      std::lock_guard lock(mutex_);
      out_ << "  onebot ← " << action << " " << showJson(params) << std::endl;
    };
    for (const char* action : {"send_group_msg", "send_private_msg"})
      standin_.respond(action, [this, show, action](const json& p) {
        show(action, p);
        std::lock_guard lock(mutex_);
        return json{{"message_id", ++sent_}};
      });
    for (const char* action : {"set_group_add_request", "set_group_ban", "set_group_kick", "delete_msg"})
      standin_.respond(action, [show, action](const json& p) {
        show(action, p);
        return json();
      });
    standin_.respond("get_stranger_info", [this, show](const json& p) {
      show("get_stranger_info", p);
      const std::string qq = p.contains("user_id") ? p["user_id"].dump() : "";
      const std::string robot = script_.GetQQList();
      return stubs::OneBotStandin::strangerInfo(stubs::OneBotFlavor::NapCat, numberOr(qq, 0),
                                                text::gbkToUtf8(script_.GetNick(robot, qq)),
                                                script_.GetObjLevel(robot, qq), text::gbkToUtf8(script_.GetSign(robot, qq)));
    });
    standin_.respond("get_login_info", [this, show](const json& p) {
      show("get_login_info", p);
      return json{{"user_id", numberOr(script_.GetQQList(), 0)}, {"nickname", "robot"}};
    });
  }

  void deliver(const std::string& robot, int kind, const std::string& group, const std::string& active,
               const std::string& passive, const std::string& message, const std::string& number,
               const std::string& id) override {
    const long long g = numberOr(group, 0), a = numberOr(active, 0), p = numberOr(passive, 0);
    const std::string self = text::gbkToUtf8(robot);
    json event;
    if (kind == 2) {
      event = stubs::OneBotStandin::groupMessage(self, g, a, numberOr(id, numberOr(number, 0)), segmentsOf(robot, group, message));
    } else if (kind == 212 || kind == 219) {
      event = stubs::OneBotStandin::memberIncrease(self, g, p, a, kind == 219 ? "invite" : "approve");
    } else if (kind == 213 || kind == 214 || kind == 215) {
      event = stubs::OneBotStandin::joinRequest(self, g, a, text::gbkToUtf8(message), "flag-" + number,
                                                kind == 214 ? p : 0);
    } else {
      std::lock_guard lock(mutex_);
      out_ << "> kind " << kind << " has no OneBot event; not sent" << std::endl;
      return;
    }
    json shownEvent = event;
    for (const char* noise : {"time", "sender", "raw_message", "font", "anonymous", "message_format", "message_seq", "real_id"})
      shownEvent.erase(noise);
    {
      std::lock_guard lock(mutex_);
      out_ << "onebot → " << showJson(shownEvent) << std::endl;
    }
    const std::size_t before = bridge_.framesSettled();
    standin_.sendEvent(event);
    if (!bridge_.waitSettled(before + 1, std::chrono::seconds(120))) {
      std::lock_guard lock(mutex_);
      out_ << "  (the event was not handled within 120 s)" << std::endl;
    }
  }

 private:
  // The message's segments: the picture codes the session scripted an address for become picture
  // segments with that address, as an implementation sends them.
  json segmentsOf(const std::string& robot, const std::string& group, const std::string& message) {
    std::string text = message;
    const std::string start = "[IR:pic=";
    for (std::size_t at = text.find(start); at != std::string::npos; at = text.find(start, at + 1)) {
      const std::size_t close = text.find(']', at);
      if (close == std::string::npos) break;
      const std::string code = text.substr(at, close + 1 - at);
      const std::string address = script_.GetPicLink(robot, 1, group, code);
      if (!address.empty()) text.replace(at, code.size(), start + address + "]");
    }
    return onebot::toSegments(text);
  }

  stubs::OneBotStandin& standin_;
  OneBotBridge& bridge_;
  hostkit::ScriptedHost& script_;
  std::ostream& out_;
  std::mutex mutex_;
  long long sent_ = 900000;
};

}  // namespace

int runOneBotDemo(const fs::path& programFolder) {
  const fs::path runDir = freshDemoInstallation(programFolder);
  std::ostream& out = std::cout;
  out << "irhost: demo installation in " << runDir.string() << ", events through a OneBot stand-in" << std::endl;

  auto script = std::make_shared<hostkit::ScriptedHost>();
  HostPrinter printer(out);
  hostkit::Host& host = hostkit::processHost();
  host.addObserver(printer);
  int status = 1;
  {
    hostkit::PluginSet plugins;
    plugins.loadFolder((runDir / "plugin").string(), out);
    if (plugins.empty()) {
      std::cerr << "irhost: no plug-in in " << (runDir / "plugin").string() << std::endl;
    } else {
      BridgeOptions options;
      options.pace = std::chrono::milliseconds(0);      // the story, not the waiting
      options.duplicateWindow = std::chrono::seconds(0);  // the session's returning member comes back at once
      auto bridge = std::make_shared<OneBotBridge>(plugins, options, out);
      host.setBackend(bridge);
      std::shared_ptr<OneBotBridge::Slot> slot;
      std::string error;
      auto server = onebot::ReverseServer::listen({}, bridge->handlers(slot), &error);
      if (!server) {
        std::cerr << "irhost: the bridge cannot listen on loopback: " << error << std::endl;
      } else {
        OneBotBridge::attach(*slot, server.get());
        out << "irhost: bridge listening on ws://127.0.0.1:<port>/onebot/v11/ws" << std::endl;
        {
          stubs::OneBotStandin standin;
          OneBotRoute route(standin, *bridge, *script, out);
          route.scriptAnswers();
          stubs::OneBotConnectOptions connect;
          connect.selfId = "10000";
          if (standin.connect(server->port(), connect) != 101) {
            std::cerr << "irhost: the OneBot stand-in could not connect" << std::endl;
          } else {
            bridge->waitSettled(1, std::chrono::seconds(5));  // the stand-in's lifecycle event
            status = runSession((programFolder / "demo" / "demo.session").string(), plugins, *script, out, std::cerr,
                                &route);
          }
          bridge->finish(std::chrono::seconds(10));
        }
        server.reset();
      }
      host.setBackend(nullptr);
    }
  }
  host.removeObserver(printer);
  return status;
}

}  // namespace irhost
