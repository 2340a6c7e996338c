// The thirteen host functions, exported from this executable so that a plug-in binds them by
// name. Each prints one readable line and answers queries from the session's script.
#include <cstdint>
#include <iostream>
#include <string>

#include "display.h"
#include "host_script.h"

namespace {

std::string in(const char* s) { return s ? std::string(s) : std::string(); }
std::string show(const char* s) { return irhost::shown(in(s)); }
// A sent text, marked when there is nothing to see.
std::string showText(const char* s) { return in(s).empty() ? std::string("(empty)") : show(s); }

void print(const std::string& line) { std::cout << "  " << line << std::endl; }

// A returned text stays valid until the next call of the same function.
const char* answer(std::string& slot, std::string text, const std::string& what) {
  slot = std::move(text);
  print("query " + what + " → " + (slot.empty() ? std::string("(nothing)") : irhost::shown(slot)));
  return slot.c_str();
}

}  // namespace

#define IRHOST_EXPORT extern "C" __attribute__((visibility("default")))

IRHOST_EXPORT int32_t Api_SendMsg(const char* /*robot*/, int32_t type, const char* group, const char* qq,
                                  const char* text, int32_t option) {
  std::string where;
  if (type == 1) {
    where = "private " + show(qq) + (in(group).empty() ? "" : " (from group " + show(group) + ")");
  } else if (type == 2) {
    where = "group " + show(group);
  } else {
    where = "group " + show(group) + (in(qq).empty() ? "" : " qq " + show(qq)) + " (type " + std::to_string(type) + ")";
  }
  std::string extra = option != 0 ? " (option " + std::to_string(option) + ")" : "";
  print("send " + where + " → " + showText(text) + extra);
  return 0;
}

IRHOST_EXPORT int32_t Api_SendXML(const char* /*robot*/, int32_t a, int32_t b, const char* group, const char* qq,
                                  const char* xml, int32_t c) {
  print("xml group " + show(group) + " qq " + show(qq) + " (" + std::to_string(a) + "," + std::to_string(b) + "," +
        std::to_string(c) + ") → " + showText(xml));
  return 0;
}

IRHOST_EXPORT int32_t Api_HandleEvent(const char* /*robot*/, int32_t kind, const char* qq, const char* group,
                                      int32_t answer, const char* reason) {
  std::string verdict = answer == 10 ? "approve" : answer == 20 ? "refuse" : "answer " + std::to_string(answer);
  std::string line = "answer request of " + show(qq) + " to group " + show(group) + ": " + verdict;
  if (kind != 213) line += " (kind " + std::to_string(kind) + ")";
  if (!in(reason).empty()) line += ", reason \"" + show(reason) + "\"";
  print(line);
  return 0;
}

IRHOST_EXPORT int32_t Api_GetObjLevel(const char* /*robot*/, const char* qq) {
  int32_t level = irhost::hostScript().level(in(qq));
  print("query level of " + show(qq) + " → " + std::to_string(level));
  return level;
}

IRHOST_EXPORT const char* Api_GetSign(const char* /*robot*/, const char* qq) {
  static std::string slot;
  return answer(slot, irhost::hostScript().sign(in(qq)), "signature of " + show(qq));
}

IRHOST_EXPORT int32_t Api_ShutUP(const char* /*robot*/, const char* group, const char* qq, int32_t seconds) {
  print("ban " + show(qq) + " in group " + show(group) + " for " + std::to_string(seconds) + " s");
  return 0;
}

IRHOST_EXPORT int32_t Api_KickGroupMBR(const char* /*robot*/, const char* group, const char* qq, int32_t block) {
  print("kick " + show(qq) + " from group " + show(group) + (block ? " and refuse him for good" : ""));
  return 0;
}

IRHOST_EXPORT int32_t Api_WithdrawMsg(const char* /*robot*/, const char* group, const char* messageNo,
                                      const char* messageId) {
  print("withdraw message " + show(messageNo) + "/" + show(messageId) + " in group " + show(group));
  return 0;
}

IRHOST_EXPORT const char* Api_GetPicLink(const char* /*robot*/, int32_t /*type*/, const char* /*group*/, const char* picCode) {
  static std::string slot;
  return answer(slot, irhost::hostScript().picLink(in(picCode)), "picture link of " + show(picCode));
}

IRHOST_EXPORT int32_t Api_OutPutLog(const char* text) {
  print("log " + showText(text));
  return 0;
}

IRHOST_EXPORT const char* Api_GetQQList() {
  static std::string slot;
  return answer(slot, irhost::hostScript().robotQQ, "QQ list");
}

IRHOST_EXPORT const char* Api_GetGroupList(const char* robot) {
  static std::string slot;
  return answer(slot, irhost::hostScript().groupList, "group list of " + show(robot));
}

IRHOST_EXPORT const char* Api_GetNick(const char* /*robot*/, const char* qq) {
  static std::string slot;
  return answer(slot, irhost::hostScript().nick(in(qq)), "nick of " + show(qq));
}
