#include "session.h"

#include <charconv>
#include <chrono>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "display.h"
#include "hostkit/plugin_set.h"
#include "hostkit/scripted_host.h"
#include "plugin_files.h"
#include "standins.h"
#include "text/gbk.h"

namespace irhost {

const char* sessionFormatHelp() {
  return R"(Session files (UTF-8, one line each, fields separated by one tab):
  # any text                   a comment; empty lines are skipped too
  robot  QQ                    the robot that receives the following events (default 10000);
                               also the answer to Api_GetQQList
  level  QQ  N                 Api_GetObjLevel answers N for QQ
  sign   QQ  TEXT              Api_GetSign answers TEXT for QQ
  nick   QQ  TEXT              Api_GetNick answers TEXT for QQ, and so does the portrait
                               stand-in once started (except for a QQ of *)
  piclink  CODE  ADDRESS       Api_GetPicLink answers ADDRESS for the picture code CODE,
                               e.g. [IR:pic=abc.jpg]
  groups  TEXT                 Api_GetGroupList answers TEXT
  event  KIND  GROUP  ACTIVE  PASSIVE  MESSAGE  [NUMBER  ID]
                               hands an event to every plug-in: KIND 2 group message,
                               212 member joined, 219 member invited (ACTIVE invited PASSIVE),
                               213/214/215 join request (ACTIVE applies); trailing fields may
                               be left out; NUMBER and ID (for withdrawals) default to the
                               event's position in the session and 1000000 more
  lookup  QQ                   asks every plug-in for QQ's nickname (QQ_获取昵称)
  setup                        opens every plug-in's settings (IR_SetUp)
  pause  MILLISECONDS          waits, then goes on
  standins                     starts the stand-ins, loopback servers on free ports that play the
                               outside web services: ${PORTRAIT} QQ's portrait service (it knows
                               the nicknames of the nick lines), ${AVATAR} QQ's avatar pictures,
                               ${PICTURES} the pictures of the picture lines, ${RECOGNITION} image
                               text recognition, ${YILE} a 亿乐 community site and ${JIUWU} a 玖伍
                               community site (both accept the account demo, password demo123,
                               and list three goods), ${UPDATE} the update service (a newer
                               version, for the settings window's update notice).
                               In later lines ${NAME} in a field stands for that base address, and
                               shown texts name the address the same way, so output does not
                               depend on ports. After each event (and lookup, setup) the requests
                               the stand-ins received during it are shown, one line each, service
                               by service in the order above:
                                 web YILE ← POST /api/web/order.html api_user=... → order accepted
  picture  NAME  TEXT...       ${PICTURES}/NAME serves a small picture in which the recognition
                               stand-in reads the TEXT fields, one text block each
  config  FILE  SECTION  KEY  VALUE
                               writes one value into the INI file FILE (UTF-8 in the session, GBK
                               on disk) as the plug-in's settings window would: FILE lies in the
                               plug-in's folder plugin/<name>/ (of the first plug-in, <name>.ir.so),
                               its folders are created, and a missing profile FOLDER/机器人参数.ini
                               is first filled with the plug-in's built-in profile. An empty VALUE
                               is given by ending the line with a tab
  show  FILE                   prints the file FILE of the plug-in's folder in UTF-8
  orders                       prints every order the community stand-ins received, with the
                               site's verdict (the plug-in's own run log of orders lives in its
                               memory and is shown by its settings window only)
In QQ, TEXT, ADDRESS, MESSAGE and VALUE fields \n, \r, \t and \\ stand for a line feed, a carriage
return, a tab and a backslash. A QQ of * scripts the answer for every QQ without its own.
Texts go to the plug-in in GBK; what the plug-in sends is shown in UTF-8 with the same escapes.
)";
}

namespace {

std::vector<std::string> splitTabs(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    std::size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

bool readInt(const std::string& s, long long& value) {
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  return ec == std::errc() && end == s.data() + s.size() && !s.empty();
}

class Runner {
 public:
  Runner(hostkit::PluginSet& plugins, hostkit::ScriptedHost& script, std::ostream& out, EventRoute* route)
      : plugins_(plugins), script_(script), out_(out), route_(route) {
    script_.setQQList(robot_);
  }

  // Runs one line; on a malformed line returns false with the reason in `error`.
  bool run(const std::string& line, std::string& error) {
    if (line.empty() || line[0] == '#') return true;
    std::vector<std::string> f = splitTabs(line);
    const std::string& verb = f[0];
    for (std::size_t i = 1; i < f.size(); ++i)
      if (!expandNames(f[i], error)) return false;
    auto field = [&](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
    auto need = [&](std::size_t n) {
      if (f.size() >= n + 1) return true;
      error = "'" + verb + "' needs " + std::to_string(n) + " field(s)";
      return false;
    };
    auto needStandIns = [&] {
      if (standIns_) return true;
      error = "'" + verb + "' needs the stand-ins: put a 'standins' line before it";
      return false;
    };
    if (verb == "robot") {
      if (!need(1)) return false;
      robot_ = fieldToGbk(f[1]);
      script_.setQQList(robot_);
    } else if (verb == "level") {
      long long n = 0;
      if (!need(2)) return false;
      if (!readInt(f[2], n)) return error = "level is not a whole number: " + f[2], false;
      script_.setLevel(fieldToGbk(f[1]), static_cast<int32_t>(n));
    } else if (verb == "sign" || verb == "nick" || verb == "piclink") {
      if (!need(2)) return false;
      const std::string key = fieldToGbk(f[1]), answer = fieldToGbk(f[2]);
      if (verb == "sign") script_.setSign(key, answer);
      if (verb == "nick") script_.setNick(key, answer);
      if (verb == "piclink") script_.setPicLink(key, answer);
      if (verb == "nick" && standIns_ && f[1] != "*") standIns_->setNickname(fieldToGbk(f[1]), fieldToGbk(f[2]));
    } else if (verb == "groups") {
      if (!need(1)) return false;
      script_.setGroupList(fieldToGbk(f[1]));
    } else if (verb == "event") {
      long long kind = 0;
      if (!need(1)) return false;
      if (!readInt(f[1], kind)) return error = "kind is not a whole number: " + f[1], false;
      ++events_;
      std::string number = f.size() > 6 ? field(6) : std::to_string(events_);
      std::string id = f.size() > 7 ? field(7) : std::to_string(1000000 + events_);
      std::string group = fieldToGbk(field(2)), active = fieldToGbk(field(3)), passive = fieldToGbk(field(4));
      std::string message = fieldToGbk(field(5));
      const std::string no = fieldToGbk(number), mid = fieldToGbk(id);
      if (route_) {
        route_->deliver(robot_, static_cast<int>(kind), group, active, passive, message, no, mid);
        showWebRequests();
        return true;
      }
      out_ << "> " << eventKindName(kind) << " (kind " << kind << ")";
      if (!group.empty()) out_ << " group " << shown(group);
      if (!active.empty()) out_ << " active " << shown(active);
      if (!passive.empty()) out_ << " passive " << shown(passive);
      if (!message.empty()) out_ << ": " << shown(message);
      out_ << std::endl;
      for (const auto& p : plugins_.plugins()) {
        int32_t result = p->event(robot_.c_str(), static_cast<int32_t>(kind), 0, group.c_str(), active.c_str(),
                                  passive.c_str(), message.c_str(), no.c_str(), mid.c_str(), "", "", 0);
        out_ << "  " << p->fileName() << " returned " << result << std::endl;
      }
      showWebRequests();
    } else if (verb == "lookup") {
      if (!need(1)) return false;
      out_ << "> nickname of " << f[1] << std::endl;
      const std::string qq = fieldToGbk(f[1]);
      for (const auto& p : plugins_.plugins()) {
        if (!p->nickname) continue;
        const char* nick = p->nickname(qq.c_str());
        out_ << "  " << p->fileName() << " nickname of " << shown(qq) << " → " << shown(nick ? nick : "")
             << std::endl;
      }
      showWebRequests();
    } else if (verb == "setup") {
      out_ << "> settings" << std::endl;
      for (const auto& p : plugins_.plugins()) {
        if (!p->setUp) continue;
        p->setUp();
        out_ << "  " << p->fileName() << " settings closed" << std::endl;
      }
      showWebRequests();
    } else if (verb == "pause") {
      long long ms = 0;
      if (!need(1)) return false;
      if (!readInt(f[1], ms) || ms < 0) return error = "pause is not a number of milliseconds: " + f[1], false;
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    } else if (verb == "standins") {
      if (standIns_) return error = "the stand-ins run already", false;
      standIns_ = std::make_unique<StandIns>();
      out_ << "> stand-ins on loopback:";
      for (const auto& [name, address] : standIns_->addresses()) {
        names_[name] = address;
        nameAddress(address, name);
        out_ << " ${" << name << "}";
      }
      out_ << std::endl;
      for (const auto& [qq, nick] : script_.nicks())
        if (qq != "*") standIns_->setNickname(qq, nick);
    } else if (verb == "picture") {
      if (!need(1) || !needStandIns()) return false;
      if (f[1].empty() || f[1].find_first_of("/?#") != std::string::npos)
        return error = "not a picture name: " + f[1], false;
      std::vector<std::string> texts;
      for (std::size_t i = 2; i < f.size(); ++i) texts.push_back(text::gbkToUtf8(fieldToGbk(f[i])));
      standIns_->addPicture(f[1], texts);
      out_ << "> picture ${PICTURES}/" << f[1] << ", the recognition reads:";
      for (const std::string& t : texts) out_ << " [" << shown(text::utf8ToGbk(t)) << "]";
      if (texts.empty()) out_ << " nothing";
      out_ << std::endl;
    } else if (verb == "config") {
      if (!need(4)) return false;
      const std::string section = fieldToGbk(f[2]), key = fieldToGbk(f[3]), value = fieldToGbk(f[4]);
      out_ << "> config " << f[1] << " [" << shown(section) << "] " << shown(key) << "=" << shown(value)
           << std::endl;
      if (!writeSetting(plugins_.filesFolder(), f[1], section, key, value, error)) return false;
    } else if (verb == "show") {
      if (!need(1)) return false;
      out_ << "> file " << f[1] << std::endl;
      if (!showFile(plugins_.filesFolder(), f[1], out_, error)) return false;
    } else if (verb == "orders") {
      if (!needStandIns()) return false;
      out_ << "> orders the community stand-ins received" << std::endl;
      standIns_->printOrders(out_);
    } else {
      error = "unknown line kind '" + verb + "'";
      return false;
    }
    return true;
  }

 private:
  // Replaces every "${NAME}" by the address the stand-ins gave that name.
  bool expandNames(std::string& field, std::string& error) {
    std::size_t at = 0;
    while ((at = field.find("${", at)) != std::string::npos) {
      const std::size_t close = field.find('}', at + 2);
      if (close == std::string::npos) return true;
      const std::string name = field.substr(at + 2, close - at - 2);
      auto it = names_.find(name);
      if (it == names_.end()) {
        error = "unknown name ${" + name + "}" + (standIns_ ? "" : " (the stand-ins are not started)");
        return false;
      }
      field.replace(at, close + 1 - at, it->second);
      at += it->second.size();
    }
    return true;
  }

  void showWebRequests() {
    if (standIns_) standIns_->printNewRequests(out_);
  }

  hostkit::PluginSet& plugins_;
  hostkit::ScriptedHost& script_;
  std::ostream& out_;
  EventRoute* route_;
  std::string robot_ = "10000";  // the robot of the events, and the answer of Api_GetQQList
  long long events_ = 0;
  std::map<std::string, std::string> names_;
  // Last member: the servers stop before anything they might print to goes.
  std::unique_ptr<StandIns> standIns_;
};

}  // namespace

int runSession(const std::string& path, hostkit::PluginSet& plugins, hostkit::ScriptedHost& script, std::ostream& out,
               std::ostream& err, EventRoute* route, bool openSettingsAtEnd) {
  std::ifstream in;
  if (!path.empty()) {
    in.open(path, std::ios::binary);
    if (!in) {
      err << "irhost: cannot read the session file " << path << std::endl;
      return 2;
    }
  }
  Runner runner(plugins, script, out, route);
  std::string line;
  int number = 0;
  while (!path.empty() && std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string error;
    if (!runner.run(line, error)) {
      err << "irhost: " << path << ":" << number << ": " << error << std::endl;
      return 2;
    }
  }
  std::string unused;
  if (openSettingsAtEnd) runner.run("setup", unused);
  return 0;
}

}  // namespace irhost
