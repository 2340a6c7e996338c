// HostApi: the plug-in's binding to the thirteen functions of the robot host.
//
// At library load the functions are looked up by name in the process's global symbol scope; a
// function the host lacks is a no-op that returns "" or 0. Texts are GBK, zero-terminated; a text
// the host returns is copied at once, so the results here are owned strings. Tests install their
// own HostApi with setHostApi and never go through dlsym.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace hostapi {

class HostApi {
 public:
  virtual ~HostApi() = default;
  virtual void SendMsg(const std::string& robot, int32_t type, const std::string& group, const std::string& qq,
                       const std::string& text, int32_t option) = 0;
  virtual void SendXML(const std::string& robot, int32_t a, int32_t b, const std::string& group,
                       const std::string& qq, const std::string& xml, int32_t c) = 0;
  virtual void HandleEvent(const std::string& robot, int32_t kind, const std::string& qq, const std::string& group,
                           int32_t answer, const std::string& reason) = 0;
  virtual int32_t GetObjLevel(const std::string& robot, const std::string& qq) = 0;
  virtual std::string GetSign(const std::string& robot, const std::string& qq) = 0;
  virtual void ShutUP(const std::string& robot, const std::string& group, const std::string& qq,
                      int32_t seconds) = 0;
  virtual void KickGroupMBR(const std::string& robot, const std::string& group, const std::string& qq,
                            bool block) = 0;
  virtual void WithdrawMsg(const std::string& robot, const std::string& group, const std::string& messageNo,
                           const std::string& messageId) = 0;
  virtual std::string GetPicLink(const std::string& robot, int32_t type, const std::string& group,
                                 const std::string& picCode) = 0;
  virtual void OutPutLog(const std::string& text) = 0;
  virtual std::string GetQQList() = 0;
  virtual std::string GetGroupList(const std::string& robot) = 0;
  virtual std::string GetNick(const std::string& robot, const std::string& qq) = 0;
};

// The binding in use: the one made at load from the host's symbols, or the one a test installed.
HostApi& hostApi();

// Replaces the binding (for tests); nullptr restores the binding to the host's symbols.
// Returns the previous test binding, if any.
std::shared_ptr<HostApi> setHostApi(std::shared_ptr<HostApi> api);

}  // namespace hostapi
