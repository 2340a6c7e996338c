#include "ui/run_log_feed.h"

#include <array>
#include <atomic>
#include <mutex>

#include "gifting/run_log.h"

namespace ui {

namespace {
constexpr int kMinimumGapMs = 100;
}

struct RunLogFeed::Shared {
  std::mutex mutex;
  RunLogFeed* feed = nullptr;  // cleared, under the mutex, before the feed goes
  std::atomic<bool> pending{false};
  std::array<std::atomic<bool>, gifting::kRunLogViews> dirty{};
};

RunLogFeed::RunLogFeed(std::function<void(int, const std::string&)> show, QObject* parent)
    : QObject(parent), show_(std::move(show)), shared_(std::make_shared<Shared>()) {
  shared_->feed = this;
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &RunLogFeed::flush);
  sinceFlush_.start();
  gifting::setRunLogListener([shared = shared_](int view) {
    if (view < 0 || view >= gifting::kRunLogViews) return;
    shared->dirty[std::size_t(view)] = true;
    if (shared->pending.exchange(true)) return;  // a wake-up is on its way and will see the mark
    std::lock_guard<std::mutex> lock(shared->mutex);
    if (RunLogFeed* feed = shared->feed)
      QMetaObject::invokeMethod(feed, [feed] { feed->wake(); }, Qt::QueuedConnection);
  });
}

RunLogFeed::~RunLogFeed() {
  gifting::setRunLogListener({});
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->feed = nullptr;
}

void RunLogFeed::showAll() {
  for (int view = 0; view < gifting::kRunLogViews; ++view) {
    shared_->dirty[std::size_t(view)] = false;
    show_(view, gifting::viewText(view));
  }
}

void RunLogFeed::wake() {
  if (timer_.isActive()) return;
  const qint64 gap = sinceFlush_.elapsed();
  timer_.start(gap >= kMinimumGapMs ? 0 : int(kMinimumGapMs - gap));
}

void RunLogFeed::flush() {
  // Cleared before the marks are read: a change after this point posts a new wake-up.
  shared_->pending = false;
  for (int view = 0; view < gifting::kRunLogViews; ++view)
    if (shared_->dirty[std::size_t(view)].exchange(false)) show_(view, gifting::viewText(view));
  sinceFlush_.restart();
}

}  // namespace ui
