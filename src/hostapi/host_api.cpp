#include "hostapi/host_api.h"
#include "hostapi/host_functions.h"

#include <dlfcn.h>

#include <atomic>
#include <mutex>

namespace hostapi {
namespace {

// The host's thirteen functions as found in the process's global symbol scope; a null pointer is a
// function the host does not offer.
struct HostSymbols {
  decltype(&Api_SendMsg) sendMsg = nullptr;
  decltype(&Api_SendXML) sendXml = nullptr;
  decltype(&Api_HandleEvent) handleEvent = nullptr;
  decltype(&Api_GetObjLevel) getObjLevel = nullptr;
  decltype(&Api_GetSign) getSign = nullptr;
  decltype(&Api_ShutUP) shutUp = nullptr;
  decltype(&Api_KickGroupMBR) kickGroupMbr = nullptr;
  decltype(&Api_WithdrawMsg) withdrawMsg = nullptr;
  decltype(&Api_GetPicLink) getPicLink = nullptr;
  decltype(&Api_OutPutLog) outPutLog = nullptr;
  decltype(&Api_GetQQList) getQQList = nullptr;
  decltype(&Api_GetGroupList) getGroupList = nullptr;
  decltype(&Api_GetNick) getNick = nullptr;
};

template <class Fn>
void bind(Fn& slot, const char* name) {
  slot = reinterpret_cast<Fn>(dlsym(RTLD_DEFAULT, name));
}

HostSymbols lookUpHostSymbols() {
  HostSymbols s;
  bind(s.sendMsg, "Api_SendMsg");
  bind(s.sendXml, "Api_SendXML");
  bind(s.handleEvent, "Api_HandleEvent");
  bind(s.getObjLevel, "Api_GetObjLevel");
  bind(s.getSign, "Api_GetSign");
  bind(s.shutUp, "Api_ShutUP");
  bind(s.kickGroupMbr, "Api_KickGroupMBR");
  bind(s.withdrawMsg, "Api_WithdrawMsg");
  bind(s.getPicLink, "Api_GetPicLink");
  bind(s.outPutLog, "Api_OutPutLog");
  bind(s.getQQList, "Api_GetQQList");
  bind(s.getGroupList, "Api_GetGroupList");
  bind(s.getNick, "Api_GetNick");
  return s;
}

// The host's text belongs to the host and may change on its next call: copy it now.
std::string copied(const char* hostText) { return hostText ? std::string(hostText) : std::string(); }

class BoundHostApi final : public HostApi {
 public:
  explicit BoundHostApi(const HostSymbols& s) : s_(s) {}

  void SendMsg(const std::string& robot, int32_t type, const std::string& group, const std::string& qq,
               const std::string& text, int32_t option) override {
    if (s_.sendMsg) s_.sendMsg(robot.c_str(), type, group.c_str(), qq.c_str(), text.c_str(), option);
  }
  void SendXML(const std::string& robot, int32_t a, int32_t b, const std::string& group, const std::string& qq,
               const std::string& xml, int32_t c) override {
    if (s_.sendXml) s_.sendXml(robot.c_str(), a, b, group.c_str(), qq.c_str(), xml.c_str(), c);
  }
  void HandleEvent(const std::string& robot, int32_t kind, const std::string& qq, const std::string& group,
                   int32_t answer, const std::string& reason) override {
    if (s_.handleEvent) s_.handleEvent(robot.c_str(), kind, qq.c_str(), group.c_str(), answer, reason.c_str());
  }
  int32_t GetObjLevel(const std::string& robot, const std::string& qq) override {
    return s_.getObjLevel ? s_.getObjLevel(robot.c_str(), qq.c_str()) : 0;
  }
  std::string GetSign(const std::string& robot, const std::string& qq) override {
    return s_.getSign ? copied(s_.getSign(robot.c_str(), qq.c_str())) : std::string();
  }
  void ShutUP(const std::string& robot, const std::string& group, const std::string& qq, int32_t seconds) override {
    if (s_.shutUp) s_.shutUp(robot.c_str(), group.c_str(), qq.c_str(), seconds);
  }
  void KickGroupMBR(const std::string& robot, const std::string& group, const std::string& qq, bool block) override {
    if (s_.kickGroupMbr) s_.kickGroupMbr(robot.c_str(), group.c_str(), qq.c_str(), block ? 1 : 0);
  }
  void WithdrawMsg(const std::string& robot, const std::string& group, const std::string& messageNo,
                   const std::string& messageId) override {
    if (s_.withdrawMsg) s_.withdrawMsg(robot.c_str(), group.c_str(), messageNo.c_str(), messageId.c_str());
  }
  std::string GetPicLink(const std::string& robot, int32_t type, const std::string& group,
                         const std::string& picCode) override {
    return s_.getPicLink ? copied(s_.getPicLink(robot.c_str(), type, group.c_str(), picCode.c_str()))
                         : std::string();
  }
  void OutPutLog(const std::string& text) override {
    if (s_.outPutLog) s_.outPutLog(text.c_str());
  }
  std::string GetQQList() override { return s_.getQQList ? copied(s_.getQQList()) : std::string(); }
  std::string GetGroupList(const std::string& robot) override {
    return s_.getGroupList ? copied(s_.getGroupList(robot.c_str())) : std::string();
  }
  std::string GetNick(const std::string& robot, const std::string& qq) override {
    return s_.getNick ? copied(s_.getNick(robot.c_str(), qq.c_str())) : std::string();
  }

 private:
  HostSymbols s_;
};

BoundHostApi& boundHostApi() {
  static BoundHostApi api(lookUpHostSymbols());
  return api;
}

// Binds when the library is loaded, so no event ever waits for a symbol search.
[[maybe_unused]] const bool boundAtLoad = (boundHostApi(), true);

std::mutex installedMutex;
std::shared_ptr<HostApi> installed;          // the test binding, kept alive while installed
std::atomic<HostApi*> current{nullptr};      // what hostApi() hands out; null means the host's

}  // namespace

HostApi& hostApi() {
  HostApi* api = current.load(std::memory_order_acquire);
  return api ? *api : boundHostApi();
}

std::shared_ptr<HostApi> setHostApi(std::shared_ptr<HostApi> api) {
  std::lock_guard lock(installedMutex);
  std::shared_ptr<HostApi> previous = std::move(installed);
  installed = std::move(api);
  current.store(installed.get(), std::memory_order_release);
  return previous;
}

}  // namespace hostapi
