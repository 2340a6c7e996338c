// RunLogFeed: brings the run log's changes to the thread of the window that owns it.
//
// The listener it installs runs on the threads that place orders and touches no widget: it marks
// the view and posts one wake-up to the owner's thread unless one is pending. There the marked
// views are read whole and handed to `show`, at most once per 100 ms, so a burst of thousands of
// orders costs a few redraws and the last text shown is the view's newest. Destroying the feed
// removes the listener; a wake-up still in flight then finds nothing to do.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

namespace ui {

class RunLogFeed : public QObject {
  Q_OBJECT
 public:
  RunLogFeed(std::function<void(int view, const std::string& text)> show, QObject* parent);
  ~RunLogFeed() override;

  // Shows every view now (the texts the window opens with).
  void showAll();

 private:
  struct Shared;
  void wake();
  void flush();

  std::function<void(int, const std::string&)> show_;
  std::shared_ptr<Shared> shared_;
  QTimer timer_;
  QElapsedTimer sinceFlush_;
};

}  // namespace ui
