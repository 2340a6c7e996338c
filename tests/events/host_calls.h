// Host calls rendered for comparison: "SendMsg(10000|2|20002|10001|text|0)", texts turned from
// GBK into UTF-8 so that expectations are written as they read. Queries (levels, signatures,
// picture links, nicknames, lists) are left out of actions().
#pragma once

#include <string>
#include <vector>

#include "support/recording_host.h"
#include "text/gbk.h"

namespace events_test {

inline std::string render(const support::HostCall& call) {
  std::string out = call.function.rfind("Api_", 0) == 0 ? call.function.substr(4) : call.function;
  out += '(';
  for (std::size_t i = 0; i < call.args.size(); ++i) {
    if (i) out += '|';
    out += text::gbkToUtf8(call.args[i]);
  }
  return out + ')';
}

inline bool isQuery(const std::string& function) {
  return function == "Api_GetObjLevel" || function == "Api_GetSign" || function == "Api_GetPicLink" ||
         function == "Api_GetNick" || function == "Api_GetQQList" || function == "Api_GetGroupList";
}

inline std::vector<std::string> actions(const support::RecordingHost& host) {
  std::vector<std::string> out;
  for (const support::HostCall& call : host.calls())
    if (!isQuery(call.function)) out.push_back(render(call));
  return out;
}

inline std::vector<std::string> allCalls(const support::RecordingHost& host) {
  std::vector<std::string> out;
  for (const support::HostCall& call : host.calls()) out.push_back(render(call));
  return out;
}

}  // namespace events_test
