// A plug-in for host tests: every event makes it call each of the thirteen host functions once,
// with values taken from the event, so the host's rendering of every call can be read back.
#include <cstdint>
#include <string>

#include "hostapi/host_functions.h"

#define ECHO_EXPORT extern "C" __attribute__((visibility("default")))

ECHO_EXPORT const char* IR_Create() { return "name{echo}\r\nversion{1}"; }

ECHO_EXPORT int32_t IR_Event(const char* robot, int32_t, int32_t, const char* group, const char* active,
                             const char* passive, const char* message, const char* messageNo,
                             const char* messageId, const char*, const char*, int32_t) {
  Api_SendMsg(robot, 2, group, active, message, 0);
  Api_SendMsg(robot, 1, group, passive, "pm", 0);
  Api_SendMsg(robot, 212, group, active, "reply", 0);
  Api_SendXML(robot, 1, 2, group, active, "<msg/>", 2);
  Api_HandleEvent(robot, 213, active, group, 10, "");
  Api_HandleEvent(robot, 214, active, group, 20, "low");
  int32_t level = Api_GetObjLevel(robot, active);
  std::string sign = Api_GetSign(robot, active);
  Api_ShutUP(robot, group, active, 600);
  Api_KickGroupMBR(robot, group, passive, 0);
  Api_WithdrawMsg(robot, group, messageNo, messageId);
  Api_GetPicLink(robot, 1, group, "[IR:pic=a.jpg]");
  Api_OutPutLog(("level " + std::to_string(level) + " sign " + sign).c_str());
  Api_GetQQList();
  Api_GetGroupList(robot);
  Api_GetNick(robot, active);
  return 1;
}

ECHO_EXPORT const char* QQ_获取昵称(const char* qq) { return Api_GetNick("", qq); }

ECHO_EXPORT int32_t IR_DestroyPlugin() { return 0; }
