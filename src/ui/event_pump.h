// EventPump: while one lives, an HTTP transfer started on this thread keeps the windows processing
// their events (painting, timers, input), through the HTTP client's per-thread pump. Nested pumps
// are fine; the outermost one removes the hook. A handler that starts a transfer under a pump must
// guard against being run again from inside it.
#pragma once

namespace ui {

class EventPump {
 public:
  EventPump();
  ~EventPump();
  EventPump(const EventPump&) = delete;
  EventPump& operator=(const EventPump&) = delete;
};

// Sets a flag for its lifetime, however the scope ends: the guard of such a handler.
class ScopedFlag {
 public:
  explicit ScopedFlag(bool& flag) : flag_(flag) { flag_ = true; }
  ~ScopedFlag() { flag_ = false; }
  ScopedFlag(const ScopedFlag&) = delete;
  ScopedFlag& operator=(const ScopedFlag&) = delete;

 private:
  bool& flag_;
};

}  // namespace ui
