#include "onebot/group_dispatcher.h"

namespace onebot {

GroupDispatcher::GroupDispatcher(std::size_t workers, std::size_t capacity) : capacity_(capacity ? capacity : 1) {
  if (workers == 0) workers = 1;
  for (std::size_t i = 0; i < workers; ++i) workers_.emplace_back([this] { work(); });
}

GroupDispatcher::~GroupDispatcher() {
  {
    std::unique_lock lock(mutex_);
    closed_ = true;
    idle_.wait(lock, [&] { return count_ == 0; });
    stopping_ = true;
  }
  ready_.notify_all();
  for (auto& t : workers_) t.join();
}

bool GroupDispatcher::post(const std::string& key, std::function<void()> task) {
  std::lock_guard lock(mutex_);
  if (closed_) return false;
  auto [it, fresh] = byKey_.try_emplace(key);
  it->second.push_back(std::move(task));
  if (fresh) {  // a key already present is queued or running; its worker picks the task up
    readyKeys_.push_back(key);
    ready_.notify_one();
  }
  ++count_;
  return count_ < capacity_;
}

void GroupDispatcher::whenRoom(std::function<void()> f) {
  {
    std::lock_guard lock(mutex_);
    if (count_ >= capacity_) {
      roomWaiters_.push_back(std::move(f));
      return;
    }
  }
  f();
}

void GroupDispatcher::work() {
  for (;;) {
    std::string key;
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      ready_.wait(lock, [&] { return stopping_ || !readyKeys_.empty(); });
      if (readyKeys_.empty()) return;
      key = std::move(readyKeys_.front());
      readyKeys_.pop_front();
      task = std::move(byKey_[key].front());
    }
    try {
      task();
    } catch (...) {
      // A failing task ends alone; the group's next task still runs.
    }
    std::vector<std::function<void()>> wake;
    {
      std::lock_guard lock(mutex_);
      auto it = byKey_.find(key);
      it->second.pop_front();
      if (it->second.empty()) {
        byKey_.erase(it);
      } else {
        readyKeys_.push_back(key);  // behind the other groups waiting: no group starves the rest
        ready_.notify_one();
      }
      --count_;
      if (count_ < capacity_) wake.swap(roomWaiters_);
      if (count_ == 0) idle_.notify_all();
    }
    for (auto& f : wake) {
      try {
        f();
      } catch (...) {
      }
    }
  }
}

bool GroupDispatcher::drain(std::chrono::milliseconds limit) {
  std::unique_lock lock(mutex_);
  closed_ = true;
  return idle_.wait_for(lock, limit, [&] { return count_ == 0; });
}

std::size_t GroupDispatcher::queued() const {
  std::lock_guard lock(mutex_);
  return count_;
}

}  // namespace onebot
