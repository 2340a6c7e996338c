// The fault guard around every export: a fault raised anywhere below an export (an exception of
// any type) is written to the host's log as faultLogPrefix followed by the fault's message, the
// faulting work is abandoned and the export returns its usual result. Nothing escapes to the host,
// not even a fault of the host's own log function.
#pragma once

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace plugin {

// GBK: "朔禾引流插件发生异常，异常信息：" — names the fault as the plug-in's exception and
// introduces its message, which follows directly.
const std::string& faultLogPrefix();

// Writes faultLogPrefix + message to the host's log; never throws.
void logFault(std::string_view message) noexcept;

// Runs work(); on a fault logs it and returns `usual` instead.
template <class Result, class Work>
Result guarded(Result usual, Work&& work) noexcept {
  try {
    return std::forward<Work>(work)();
  } catch (const std::exception& e) {
    logFault(e.what());
  } catch (...) {
    logFault(std::string_view());
  }
  return usual;
}

// The same for work without a result.
template <class Work>
void guarded(Work&& work) noexcept {
  guarded(0, [&] {
    std::forward<Work>(work)();
    return 0;
  });
}

}  // namespace plugin
