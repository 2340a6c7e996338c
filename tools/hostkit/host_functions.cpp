#include "hostkit/host_functions.h"

#include <atomic>
#include <string>

#include "hostkit/host.h"

namespace hostkit {

namespace {
std::atomic<Host*> installed{nullptr};
}  // namespace

Host& processHost() {
  if (Host* h = installed.load()) return *h;
  static Host* own = new Host;  // never destroyed: plug-ins may call in while statics go
  return *own;
}

void setProcessHost(Host* host) { installed.store(host); }

}  // namespace hostkit

namespace {

std::string in(const char* s) { return s ? std::string(s) : std::string(); }

// `slot` is the calling function's own buffer on this thread.
const char* out(std::string& slot, std::string text, const hostkit::Host& host) {
  slot = std::move(text);
  return host.answersNullTexts() ? nullptr : slot.c_str();
}

}  // namespace

extern "C" int32_t Api_SendMsg(const char* robot, int32_t type, const char* group, const char* qq,
                                   const char* text, int32_t option) {
  hostkit::processHost().SendMsg(in(robot), type, in(group), in(qq), in(text), option);
  return 0;
}

extern "C" int32_t Api_SendXML(const char* robot, int32_t a, int32_t b, const char* group, const char* qq,
                                   const char* xml, int32_t c) {
  hostkit::processHost().SendXML(in(robot), a, b, in(group), in(qq), in(xml), c);
  return 0;
}

extern "C" int32_t Api_HandleEvent(const char* robot, int32_t kind, const char* qq, const char* group,
                                       int32_t answer, const char* reason) {
  hostkit::processHost().HandleEvent(in(robot), kind, in(qq), in(group), answer, in(reason));
  return 0;
}

extern "C" int32_t Api_GetObjLevel(const char* robot, const char* qq) {
  return hostkit::processHost().GetObjLevel(in(robot), in(qq));
}

extern "C" const char* Api_GetSign(const char* robot, const char* qq) {
  thread_local std::string slot;
  hostkit::Host& host = hostkit::processHost();
  return out(slot, host.GetSign(in(robot), in(qq)), host);
}

extern "C" int32_t Api_ShutUP(const char* robot, const char* group, const char* qq, int32_t seconds) {
  hostkit::processHost().ShutUP(in(robot), in(group), in(qq), seconds);
  return 0;
}

extern "C" int32_t Api_KickGroupMBR(const char* robot, const char* group, const char* qq, int32_t block) {
  hostkit::processHost().KickGroupMBR(in(robot), in(group), in(qq), block != 0);
  return 0;
}

extern "C" int32_t Api_WithdrawMsg(const char* robot, const char* group, const char* messageNo,
                                       const char* messageId) {
  hostkit::processHost().WithdrawMsg(in(robot), in(group), in(messageNo), in(messageId));
  return 0;
}

extern "C" const char* Api_GetPicLink(const char* robot, int32_t type, const char* group, const char* picCode) {
  thread_local std::string slot;
  hostkit::Host& host = hostkit::processHost();
  return out(slot, host.GetPicLink(in(robot), type, in(group), in(picCode)), host);
}

extern "C" int32_t Api_OutPutLog(const char* text) {
  hostkit::processHost().OutPutLog(in(text));
  return 0;
}

extern "C" const char* Api_GetQQList(void) {
  thread_local std::string slot;
  hostkit::Host& host = hostkit::processHost();
  return out(slot, host.GetQQList(), host);
}

extern "C" const char* Api_GetGroupList(const char* robot) {
  thread_local std::string slot;
  hostkit::Host& host = hostkit::processHost();
  return out(slot, host.GetGroupList(in(robot)), host);
}

extern "C" const char* Api_GetNick(const char* robot, const char* qq) {
  thread_local std::string slot;
  hostkit::Host& host = hostkit::processHost();
  return out(slot, host.GetNick(in(robot), in(qq)), host);
}
