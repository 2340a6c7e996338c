// ScriptedHost: a backend that answers the plug-in's queries from a script and carries out no
// action (a host program prints or records the actions through its observers). Queries are keyed
// by QQ number, or by picture code for Api_GetPicLink, as the plug-in sends them (GBK); the robot
// is ignored. A key of "*" answers for every key without an answer of its own; anything not
// scripted answers 0 or "". Safe to script and ask from several threads.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>

#include "hostapi/host_api.h"

namespace hostkit {

class ScriptedHost : public hostapi::HostApi {
 public:
  void setLevel(const std::string& qq, int32_t level);
  void setSign(const std::string& qq, const std::string& sign);
  void setNick(const std::string& qq, const std::string& nick);
  void setPicLink(const std::string& picCode, const std::string& link);
  void setGroupList(const std::string& text);
  void setQQList(const std::string& text);
  void clear();  // forgets every answer

  std::map<std::string, std::string> nicks() const;  // the scripted nicknames, "*" included

  void SendMsg(const std::string&, int32_t, const std::string&, const std::string&, const std::string&,
               int32_t) override {}
  void SendXML(const std::string&, int32_t, int32_t, const std::string&, const std::string&, const std::string&,
               int32_t) override {}
  void HandleEvent(const std::string&, int32_t, const std::string&, const std::string&, int32_t,
                   const std::string&) override {}
  int32_t GetObjLevel(const std::string& robot, const std::string& qq) override;
  std::string GetSign(const std::string& robot, const std::string& qq) override;
  void ShutUP(const std::string&, const std::string&, const std::string&, int32_t) override {}
  void KickGroupMBR(const std::string&, const std::string&, const std::string&, bool) override {}
  void WithdrawMsg(const std::string&, const std::string&, const std::string&, const std::string&) override {}
  std::string GetPicLink(const std::string& robot, int32_t type, const std::string& group,
                         const std::string& picCode) override;
  void OutPutLog(const std::string&) override {}
  std::string GetQQList() override;
  std::string GetGroupList(const std::string& robot) override;
  std::string GetNick(const std::string& robot, const std::string& qq) override;

 private:
  mutable std::mutex mutex_;
  std::map<std::string, int32_t> levels_;
  std::map<std::string, std::string> signs_, nicks_, picLinks_;
  std::string groupList_, qqList_;
};

}  // namespace hostkit
