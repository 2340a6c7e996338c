#include "session.h"

#include <charconv>
#include <chrono>
#include <fstream>
#include <iostream>
#include <thread>
#include <vector>

#include "display.h"
#include "host_script.h"
#include "plugin_set.h"

namespace irhost {

const char* sessionFormatHelp() {
  return R"(Session files (UTF-8, one line each, fields separated by one tab):
  # any text                   a comment; empty lines are skipped too
  robot  QQ                    the robot that receives the following events (default 10000);
                               also the answer to Api_GetQQList
  level  QQ  N                 Api_GetObjLevel answers N for QQ
  sign   QQ  TEXT              Api_GetSign answers TEXT for QQ
  nick   QQ  TEXT              Api_GetNick answers TEXT for QQ
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
In QQ, TEXT, ADDRESS and MESSAGE fields \n, \r, \t and \\ stand for a line feed, a carriage
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

const char* kindName(long long kind) {
  switch (kind) {
    case 2: return "group message";
    case 212: return "member joined";
    case 219: return "member invited";
    case 213: case 214: case 215: return "join request";
    default: return "event";
  }
}

class Runner {
 public:
  Runner(PluginSet& plugins, std::ostream& out) : plugins_(plugins), out_(out) {}

  // Runs one line; on a malformed line returns false with the reason in `error`.
  bool run(const std::string& line, std::string& error) {
    if (line.empty() || line[0] == '#') return true;
    std::vector<std::string> f = splitTabs(line);
    const std::string& verb = f[0];
    auto field = [&](std::size_t i) { return i < f.size() ? f[i] : std::string(); };
    auto need = [&](std::size_t n) {
      if (f.size() >= n + 1) return true;
      error = "'" + verb + "' needs " + std::to_string(n) + " field(s)";
      return false;
    };
    HostScript& script = hostScript();
    if (verb == "robot") {
      if (!need(1)) return false;
      script.robotQQ = fieldToGbk(f[1]);
    } else if (verb == "level") {
      long long n = 0;
      if (!need(2)) return false;
      if (!readInt(f[2], n)) return error = "level is not a whole number: " + f[2], false;
      script.levels[fieldToGbk(f[1])] = static_cast<int32_t>(n);
    } else if (verb == "sign" || verb == "nick" || verb == "piclink") {
      if (!need(2)) return false;
      auto& answers = verb == "sign" ? script.signs : verb == "nick" ? script.nicks : script.picLinks;
      answers[fieldToGbk(f[1])] = fieldToGbk(f[2]);
    } else if (verb == "groups") {
      if (!need(1)) return false;
      script.groupList = fieldToGbk(f[1]);
    } else if (verb == "event") {
      long long kind = 0;
      if (!need(1)) return false;
      if (!readInt(f[1], kind)) return error = "kind is not a whole number: " + f[1], false;
      ++events_;
      std::string number = f.size() > 6 ? field(6) : std::to_string(events_);
      std::string id = f.size() > 7 ? field(7) : std::to_string(1000000 + events_);
      std::string group = fieldToGbk(field(2)), active = fieldToGbk(field(3)), passive = fieldToGbk(field(4));
      std::string message = fieldToGbk(field(5));
      out_ << "> " << kindName(kind) << " (kind " << kind << ")";
      if (!group.empty()) out_ << " group " << shown(group);
      if (!active.empty()) out_ << " active " << shown(active);
      if (!passive.empty()) out_ << " passive " << shown(passive);
      if (!message.empty()) out_ << ": " << shown(message);
      out_ << std::endl;
      plugins_.event(script.robotQQ, static_cast<int32_t>(kind), group, active, passive, message,
                     fieldToGbk(number), fieldToGbk(id), out_);
    } else if (verb == "lookup") {
      if (!need(1)) return false;
      out_ << "> nickname of " << f[1] << std::endl;
      plugins_.lookUpNickname(fieldToGbk(f[1]), out_);
    } else if (verb == "setup") {
      out_ << "> settings" << std::endl;
      plugins_.openSettings(out_);
    } else if (verb == "pause") {
      long long ms = 0;
      if (!need(1)) return false;
      if (!readInt(f[1], ms) || ms < 0) return error = "pause is not a number of milliseconds: " + f[1], false;
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    } else {
      error = "unknown line kind '" + verb + "'";
      return false;
    }
    return true;
  }

 private:
  PluginSet& plugins_;
  std::ostream& out_;
  long long events_ = 0;
};

}  // namespace

int runSession(const std::string& path, PluginSet& plugins, std::ostream& out, std::ostream& err) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    err << "irhost: cannot read the session file " << path << std::endl;
    return 2;
  }
  Runner runner(plugins, out);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string error;
    if (!runner.run(line, error)) {
      err << "irhost: " << path << ":" << number << ": " << error << std::endl;
      return 2;
    }
  }
  return 0;
}

}  // namespace irhost
