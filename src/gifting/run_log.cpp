#include "gifting/run_log.h"

#include <array>
#include <mutex>

#include "text/date_text.h"

namespace gifting {

namespace {

struct RunLogState {
  std::mutex mutex;
  std::array<std::string, kRunLogViews> views;
  std::mutex listenerMutex;
  std::function<void(int)> listener;
};

RunLogState& state() {
  static RunLogState s;
  return s;
}

// Keeps the newest whole lines that fit into the capacity; the first line stays even if larger.
void capView(std::string& view) {
  if (view.size() <= kRunLogViewCapacity) return;
  std::size_t keep = view.find("\r\n");
  keep = (keep == std::string::npos) ? view.size() : keep + 2;
  while (keep < view.size()) {
    const std::size_t next = view.find("\r\n", keep);
    const std::size_t end = (next == std::string::npos) ? view.size() : next + 2;
    if (end > kRunLogViewCapacity) break;
    keep = end;
  }
  view.resize(keep);
}

}  // namespace

void appendRunLog(int view, const std::string& line) {
  if (view < 0 || view >= kRunLogViews) return;
  RunLogState& s = state();
  const std::string entry = text::nowText() + "  " + line + "\r\n";
  {
    std::lock_guard<std::mutex> lock(s.mutex);
    std::string& text = s.views[view];
    text.insert(0, entry);
    capView(text);
  }
  std::function<void(int)> listener;
  {
    std::lock_guard<std::mutex> lock(s.listenerMutex);
    listener = s.listener;
  }
  if (listener) listener(view);
}

std::string viewText(int view) {
  if (view < 0 || view >= kRunLogViews) return {};
  RunLogState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  return s.views[view];
}

void setRunLogListener(std::function<void(int view)> listener) {
  RunLogState& s = state();
  std::lock_guard<std::mutex> lock(s.listenerMutex);
  s.listener = std::move(listener);
}

void clearRunLog() {
  RunLogState& s = state();
  std::lock_guard<std::mutex> lock(s.mutex);
  for (std::string& v : s.views) v.clear();
}

}  // namespace gifting
