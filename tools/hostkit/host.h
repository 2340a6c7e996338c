// Host: the thirteen host functions as one object, split into the two halves every host program
// needs. The backend acts: it answers the queries and carries out the actions (a script for
// sessions and tests, real QQ groups for a bridge). The observers watch: each sees every call with
// its arguments and the answer given, after the backend has handled it (to print or record it).
//
// A Host is itself a hostapi::HostApi, the interface of the thirteen functions, so it serves as a
// backend of another Host or as a test's binding of the plug-in. The process host (below) is the
// one the exported C functions of host_functions.h call. Every member may be called from several threads at once; a call
// runs on its caller's thread and is not serialised, so a backend and the observers must be
// thread-safe themselves.
#pragma once

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "hostapi/host_api.h"

namespace hostkit {

// One call as observers see it: the host's function name and its arguments as texts in the host's
// order: texts as given (GBK, a null pointer as ""), integers in decimal, the flag of
// Api_KickGroupMBR as "0" or "1".
struct HostCall {
  std::string function;           // "Api_SendMsg"
  std::vector<std::string> args;
  // args[i], or "" past the end.
  std::string arg(std::size_t i) const { return i < args.size() ? args[i] : std::string(); }
  bool operator==(const HostCall&) const = default;
};

// Api_SendMsg("10000", "2", …) with the texts shown in UTF-8, for logs and test messages.
std::ostream& operator<<(std::ostream& os, const HostCall& call);

class Observer {
 public:
  virtual ~Observer() = default;
  // `answer` is what a query answered (Api_GetObjLevel's level in decimal), "" for an action. An
  // exception thrown here travels back to the caller of the host function.
  virtual void observe(const HostCall& call, const std::string& answer) = 0;
};

class Host : public hostapi::HostApi {
 public:
  // Without a backend every query answers 0 or "" and every action does nothing.
  explicit Host(std::shared_ptr<hostapi::HostApi> backend = nullptr);

  // Calls already under way finish with what they started with.
  void setBackend(std::shared_ptr<hostapi::HostApi> backend);
  // An observer stays registered until removed and must outlive its registration (and any call
  // under way when it is removed). Observers see a call in the order they were added.
  void addObserver(Observer& observer);
  void removeObserver(Observer& observer);

  // When on, the exported C functions hand this host's text answers to the plug-in as null
  // pointers: a host that gives nothing, to test a plug-in against. Off at start.
  void answerNullTexts(bool on);
  bool answersNullTexts() const;

  // hostapi::HostApi: the backend handles the call, then every observer sees it.
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
  // The backend and observers as one snapshot, replaced whole on every change, so that a call
  // holds no lock while the backend works.
  struct Wiring {
    std::shared_ptr<hostapi::HostApi> backend;
    std::vector<Observer*> observers;
  };
  std::shared_ptr<const Wiring> wiring() const;
  void rewire(const std::function<void(Wiring&)>& change);
  static void tell(const Wiring& w, const char* function, std::vector<std::string> args, const std::string& answer);

  mutable std::mutex mutex_;
  std::shared_ptr<const Wiring> wiring_;
  std::atomic<bool> nullTexts_{false};
};

// The host behind the exported C functions of host_functions.h: the kit's own (no backend, no
// observer until given), or the one installed with setProcessHost.
Host& processHost();

// Puts `host` behind the exported functions; nullptr puts the kit's own back. The host must
// outlive every call that may still reach it.
void setProcessHost(Host* host);

}  // namespace hostkit
