#include "host_printer.h"

#include <ostream>

#include "display.h"

namespace irhost {

namespace {

// The line for one call; the answer of a query follows its arrow.
std::string lineFor(const hostkit::HostCall& call, const std::string& answer) {
  const std::string& f = call.function;
  auto show = [&](std::size_t i) { return shown(call.arg(i)); };
  // A sent text, marked when there is nothing to see.
  auto showText = [&](std::size_t i) { return call.arg(i).empty() ? std::string("(empty)") : show(i); };
  auto query = [&](const std::string& what) {
    return "query " + what + " → " + (answer.empty() ? std::string("(nothing)") : shown(answer));
  };
  if (f == "Api_SendMsg") {  // robot, type, group, qq, text, option
    const std::string type = call.arg(1);
    std::string where;
    if (type == "1") {
      where = "private " + show(3) + (call.arg(2).empty() ? "" : " (from group " + show(2) + ")");
    } else if (type == "2") {
      where = "group " + show(2);
    } else {
      where = "group " + show(2) + (call.arg(3).empty() ? "" : " qq " + show(3)) + " (type " + type + ")";
    }
    const std::string extra = call.arg(5) != "0" ? " (option " + call.arg(5) + ")" : "";
    return "send " + where + " → " + showText(4) + extra;
  }
  if (f == "Api_SendXML")  // robot, a, b, group, qq, xml, c
    return "xml group " + show(3) + " qq " + show(4) + " (" + call.arg(1) + "," + call.arg(2) + "," + call.arg(6) +
           ") → " + showText(5);
  if (f == "Api_HandleEvent") {  // robot, kind, qq, group, answer, reason
    const std::string a = call.arg(4);
    const std::string verdict = a == "10" ? "approve" : a == "20" ? "refuse" : "answer " + a;
    std::string line = "answer request of " + show(2) + " to group " + show(3) + ": " + verdict;
    if (call.arg(1) != "213") line += " (kind " + call.arg(1) + ")";
    if (!call.arg(5).empty()) line += ", reason \"" + show(5) + "\"";
    return line;
  }
  if (f == "Api_GetObjLevel") return "query level of " + show(1) + " → " + answer;
  if (f == "Api_GetSign") return query("signature of " + show(1));
  if (f == "Api_ShutUP")  // robot, group, qq, seconds
    return "ban " + show(2) + " in group " + show(1) + " for " + call.arg(3) + " s";
  if (f == "Api_KickGroupMBR")  // robot, group, qq, block
    return "kick " + show(2) + " from group " + show(1) + (call.arg(3) != "0" ? " and refuse him for good" : "");
  if (f == "Api_WithdrawMsg")  // robot, group, number, id
    return "withdraw message " + show(2) + "/" + show(3) + " in group " + show(1);
  if (f == "Api_GetPicLink") return query("picture link of " + show(3));
  if (f == "Api_OutPutLog") return "log " + showText(0);
  if (f == "Api_GetQQList") return query("QQ list");
  if (f == "Api_GetGroupList") return query("group list of " + show(0));
  if (f == "Api_GetNick") return query("nick of " + show(1));
  return f;
}

}  // namespace

void HostPrinter::observe(const hostkit::HostCall& call, const std::string& answer) {
  const std::string line = lineFor(call, answer);
  std::lock_guard lock(mutex_);
  out_ << "  " << line << std::endl;
}

}  // namespace irhost
