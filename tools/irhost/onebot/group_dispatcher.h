// GroupDispatcher: runs tasks on a small pool of worker threads, the tasks of one key (a group) one
// after another in the order posted, different keys side by side. The queue is bounded by
// back-pressure, not by dropping: post() always takes the task and says when the queue is full, so
// the producer stops reading until whenRoom() calls it back.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

namespace onebot {

class GroupDispatcher {
 public:
  GroupDispatcher(std::size_t workers, std::size_t capacity);
  ~GroupDispatcher();  // runs what is queued, then joins

  // Queues `task` behind the earlier tasks of `key`. Returns false when the queue now holds
  // `capacity` tasks or more, or the dispatcher is closed (then the task is not taken).
  bool post(const std::string& key, std::function<void()> task);

  // Calls `f` once there is room: at once on this thread when the queue is below capacity, else
  // on a worker thread as soon as it falls below.
  void whenRoom(std::function<void()> f);

  // Stops taking tasks and waits up to `limit` for the queued ones to finish; true when they did.
  bool drain(std::chrono::milliseconds limit);

  std::size_t queued() const;  // tasks waiting or running

 private:
  void work();

  const std::size_t capacity_;
  mutable std::mutex mutex_;
  std::condition_variable ready_;
  std::condition_variable idle_;
  std::unordered_map<std::string, std::deque<std::function<void()>>> byKey_;
  std::deque<std::string> readyKeys_;  // keys with tasks and no worker on them
  std::vector<std::function<void()>> roomWaiters_;
  std::size_t count_ = 0;
  bool closed_ = false;
  bool stopping_ = false;
  std::vector<std::thread> workers_;
};

}  // namespace onebot
