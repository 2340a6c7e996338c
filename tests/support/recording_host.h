// RecordingHost: a stand-in for the robot host in tests. It is a host of the host kit whose
// backend is a script (the kit's ScriptedHost) and whose observer is its own record: every call of
// the thirteen host functions is recorded, in order and with its arguments, and the queries answer
// from the script.
//
// Two ways in, one record:
//  - host(): the process's recording host, the one behind the exported C functions Api_SendMsg …
//    Api_GetNick of every test executable that links irtestsupport; a plug-in library loaded into
//    the test (see plugin_loader.h) binds to them by name and so talks to host().
//  - Any RecordingHost is also a hostapi::HostApi: a unit test that does not load the library
//    installs one with hostapi::setHostApi(std::make_shared<support::RecordingHost>()).
//
// A call is recorded as hostkit::HostCall says (GBK texts as given, integers in decimal,
// Api_KickGroupMBR's flag as "0"/"1"). Queries answer from the script, keyed by QQ (the robot is
// ignored); anything not scripted answers 0 / "". Every member is safe to call from several threads.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "hostkit/host.h"
#include "hostkit/scripted_host.h"

namespace support {

using HostCall = hostkit::HostCall;

class RecordingHost : public hostkit::Host, private hostkit::Observer {
 public:
  RecordingHost();
  ~RecordingHost() override;

  // The record.
  std::vector<HostCall> calls() const;
  std::vector<HostCall> callsTo(std::string_view function) const;
  void clearCalls();
  // Forgets the record, the script, any armed fault and null answers: a fresh host.
  void clear();

  // The script. A QQ of "*" answers for every QQ that has no answer of its own.
  void setLevel(const std::string& qq, int32_t level) { script_->setLevel(qq, level); }
  void setSign(const std::string& qq, const std::string& sign) { script_->setSign(qq, sign); }
  void setNick(const std::string& qq, const std::string& nick) { script_->setNick(qq, nick); }
  // Keyed by the code as sent.
  void setPicLink(const std::string& picCode, const std::string& link) { script_->setPicLink(picCode, link); }
  void setGroupList(const std::string& text) { script_->setGroupList(text); }
  void setQQList(const std::string& text) { script_->setQQList(text); }

  // The next call of `function` is recorded and then throws std::runtime_error(message), as a
  // host written in C++ could; used to see a fault travel up to an export's guard.
  void failNextCall(const std::string& function, const std::string& message);
  // answerNullTexts(bool) and answersNullTexts(), from hostkit::Host: when on, the exported C
  // query functions return a null pointer instead of a text.

 private:
  void observe(const HostCall& call, const std::string& answer) override;

  std::shared_ptr<hostkit::ScriptedHost> script_ = std::make_shared<hostkit::ScriptedHost>();
  mutable std::mutex mutex_;
  std::vector<HostCall> calls_;
  std::map<std::string, std::string> armedFaults_;
};

// The recording host behind the exported Api_* functions of this process.
RecordingHost& host();

}  // namespace support
