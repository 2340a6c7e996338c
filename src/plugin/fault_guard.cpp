#include "plugin/fault_guard.h"

#include "hostapi/host_api.h"
#include "text/gbk.h"

namespace plugin {

const std::string& faultLogPrefix() {
  static const std::string prefix = text::gbk("朔禾引流插件发生异常，异常信息：");
  return prefix;
}

void logFault(std::string_view message) noexcept {
  try {
    // A fault that carries no message (a thrown non-exception) still leaves a readable line.
    static const std::string unknown = text::gbk("未知异常");
    std::string line = faultLogPrefix();
    line.append(message.empty() ? std::string_view(unknown) : message);
    hostapi::hostApi().OutPutLog(line);
  } catch (...) {
    // The host's log itself failed: there is nowhere left to report to, and the host must go on.
  }
}

}  // namespace plugin
