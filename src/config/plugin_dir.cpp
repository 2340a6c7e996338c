#include "config/plugin_dir.h"

#include <atomic>
#include <deque>
#include <mutex>

namespace config {

namespace {

// Every value ever set is kept until the process ends, so a reference handed out by pluginDir()
// stays valid even when IR_Create sets the folder again while another thread reads it.
std::mutex gMutex;
std::deque<std::string>& values() {
  static std::deque<std::string> all{std::string()};
  return all;
}
std::atomic<const std::string*> gCurrent{nullptr};

}  // namespace

const std::string& pluginDir() {
  const std::string* current = gCurrent.load(std::memory_order_acquire);
  if (current) return *current;
  std::lock_guard<std::mutex> lock(gMutex);
  return values().front();
}

void setPluginDir(const std::string& utf8Path) {
  std::string value = utf8Path;
  // Every path is formed by appending to this folder, so it always ends with a separator.
  if (!value.empty() && value.back() != '/') value.push_back('/');
  std::lock_guard<std::mutex> lock(gMutex);
  values().push_back(std::move(value));
  gCurrent.store(&values().back(), std::memory_order_release);
}

}  // namespace config
