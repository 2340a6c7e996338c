// RecordingHost: a stand-in for the robot host in tests. It records every call of the thirteen
// host functions, in order and with its arguments, and answers the queries from a script.
//
// Two ways in, one record:
//  - host(): the process's recording host. A test executable that links irtestsupport exports the
//    thirteen C functions Api_SendMsg … Api_GetNick, which forward to host(); a plug-in library
//    loaded into the test (see plugin_loader.h) binds to them by name and so talks to host().
//  - Any RecordingHost is also a hostapi::HostApi: a unit test that does not load the library
//    installs one with hostapi::setHostApi(std::make_shared<support::RecordingHost>()).
//
// A call is recorded as the host's function name and its arguments as texts: texts as given
// (GBK, a null pointer as ""), integers in decimal, Api_KickGroupMBR's flag as "0"/"1". Queries
// answer from the script, keyed by QQ (the robot is ignored); anything not scripted answers 0 / "".
// Every member is safe to call from several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "hostapi/host_api.h"

namespace support {

struct HostCall {
  std::string function;           // "Api_SendMsg"
  std::vector<std::string> args;  // in the host's argument order
  // args[i], or "" past the end.
  std::string arg(std::size_t i) const { return i < args.size() ? args[i] : std::string(); }
  bool operator==(const HostCall&) const = default;
};

// Api_SendMsg("10000", "2", …) with the texts shown in UTF-8, for test failure messages.
std::ostream& operator<<(std::ostream& os, const HostCall& call);

class RecordingHost : public hostapi::HostApi {
 public:
  // The record.
  std::vector<HostCall> calls() const;
  std::vector<HostCall> callsTo(std::string_view function) const;
  void clearCalls();
  // Forgets the record, the script and any armed fault: a fresh host.
  void clear();

  // The script. A QQ of "*" answers for every QQ that has no answer of its own.
  void setLevel(const std::string& qq, int32_t level);
  void setSign(const std::string& qq, const std::string& sign);
  void setNick(const std::string& qq, const std::string& nick);
  void setPicLink(const std::string& picCode, const std::string& link);  // keyed by the code as sent
  void setGroupList(const std::string& text);
  void setQQList(const std::string& text);

  // The next call of `function` is recorded and then throws std::runtime_error(message), as a
  // host written in C++ could; used to see a fault travel up to an export's guard.
  void failNextCall(const std::string& function, const std::string& message);
  // When on, the exported C query functions return a null pointer instead of a text.
  void answerNullTexts(bool on);
  bool answersNullTexts() const;

  // hostapi::HostApi: each records the call, then answers from the script.
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
  void record(std::string function, std::vector<std::string> args);
  std::string answer(const std::map<std::string, std::string>& byKey, const std::string& key) const;

  mutable std::mutex mutex_;
  std::vector<HostCall> calls_;
  std::map<std::string, int32_t> levels_;
  std::map<std::string, std::string> signs_, nicks_, picLinks_;
  std::string groupList_, qqList_;
  std::map<std::string, std::string> armedFaults_;
  bool nullTexts_ = false;
};

// The recording host behind the exported Api_* functions of this process.
RecordingHost& host();

}  // namespace support
