// SendPacer: spaces the sends to one group (or any key) at least `interval` apart, to stay clear
// of the platform's risk control. A send after a quiet spell goes at once; a burst is spread out
// in the order asked. An interval of 0 switches pacing off. Safe to use from several threads.
#pragma once

#include <chrono>
#include <mutex>
#include <string>
#include <unordered_map>

namespace onebot {

class SendPacer {
 public:
  using Clock = std::chrono::steady_clock;
  explicit SendPacer(std::chrono::milliseconds interval = std::chrono::milliseconds(500));

  // Reserves the next slot of `key` for a send asked for at `now` and returns when it may go.
  Clock::time_point reserve(const std::string& key, Clock::time_point now);
  // Sleeps until this send's slot.
  void wait(const std::string& key);

 private:
  std::chrono::milliseconds interval_;
  std::mutex mutex_;
  std::unordered_map<std::string, Clock::time_point> last_;  // the latest slot given per key
};

}  // namespace onebot
