// The host's own answers to the plug-in's queries, set by the session file. Keys are QQ numbers
// (GBK, as the plug-in sends them) or picture codes; "*" answers for any key without its own.
// Anything unscripted answers 0 or "".
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace irhost {

struct HostScript {
  std::string robotQQ = "10000";  // the robot of the events, and the answer of Api_GetQQList
  std::map<std::string, int32_t> levels;
  std::map<std::string, std::string> signs;
  std::map<std::string, std::string> nicks;
  std::map<std::string, std::string> picLinks;
  std::string groupList;

  int32_t level(const std::string& qq) const;
  std::string sign(const std::string& qq) const;
  std::string nick(const std::string& qq) const;
  std::string picLink(const std::string& code) const;
};

// The one script of this process, read by the host functions the plug-in calls.
HostScript& hostScript();

}  // namespace irhost
