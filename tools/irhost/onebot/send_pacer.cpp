#include "onebot/send_pacer.h"

#include <thread>

namespace onebot {

SendPacer::SendPacer(std::chrono::milliseconds interval) : interval_(interval) {}

SendPacer::Clock::time_point SendPacer::reserve(const std::string& key, Clock::time_point now) {
  if (interval_.count() <= 0) return now;
  std::lock_guard lock(mutex_);
  // Keys whose last slot is a full interval behind are forgotten now and then, so the table stays
  // as small as the set of groups sending right now.
  if (last_.size() > 1024)
    std::erase_if(last_, [&](const auto& entry) { return entry.second + interval_ <= now; });
  auto [it, fresh] = last_.try_emplace(key, now);
  if (!fresh) it->second = std::max(now, it->second + interval_);
  return it->second;
}

void SendPacer::wait(const std::string& key) { std::this_thread::sleep_until(reserve(key, Clock::now())); }

}  // namespace onebot
