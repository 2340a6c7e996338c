// LinkRecorder: the bridge's side of a link as the tests wire it: frames read as events or
// replies, one action table per link (failed when the link goes), everything recorded.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "onebot/action_table.h"
#include "onebot/events.h"
#include "onebot/link.h"

struct LinkRecorder {
  struct Open {
    onebot::LinkId link;
    std::string selfId;
  };
  struct Close {
    onebot::LinkId link;
    std::string reason;
  };

  std::chrono::milliseconds actionTimeout{10000};
  bool pauseAfterEachEvent = false;
  onebot::PictureTable pictures;

  mutable std::mutex mutex;
  mutable std::condition_variable changed;
  std::vector<Open> opens;
  std::vector<Close> closes;
  std::vector<std::string> order;  // "open <self>", "close <self>" as they happened
  std::vector<onebot::EventCall> events;
  int malformed = 0, skipped = 0, replies = 0;
  std::map<onebot::LinkId, std::shared_ptr<onebot::ActionTable>> tables;
  std::map<onebot::LinkId, std::string> selfIds;

  onebot::LinkHandlers handlers() {
    onebot::LinkHandlers h;
    h.onOpen = [this](onebot::LinkId link, const std::string& self) {
      std::lock_guard lock(mutex);
      opens.push_back({link, self});
      order.push_back("open " + self);
      selfIds[link] = self;
      tables[link] = std::make_shared<onebot::ActionTable>(actionTimeout);
      changed.notify_all();
    };
    h.onFrame = [this](onebot::LinkId link, std::string frame) {
      auto f = onebot::readFrame(frame, pictures);
      std::lock_guard lock(mutex);
      switch (f.kind) {
        case onebot::FrameKind::Reply:
          ++replies;
          tables[link]->complete(f.json);
          break;
        case onebot::FrameKind::Event: events.push_back(*f.event); break;
        case onebot::FrameKind::Skipped: ++skipped; break;
        case onebot::FrameKind::Malformed: ++malformed; break;
      }
      changed.notify_all();
      return pauseAfterEachEvent && f.kind == onebot::FrameKind::Event ? onebot::ReadControl::Pause
                                                                        : onebot::ReadControl::Continue;
    };
    h.onClose = [this](onebot::LinkId link, const std::string& reason) {
      std::lock_guard lock(mutex);
      closes.push_back({link, reason});
      order.push_back("close " + selfIds[link]);
      tables[link]->failAll();
      changed.notify_all();
    };
    return h;
  }

  template <class Pred>
  bool waitFor(Pred pred, std::chrono::milliseconds limit = std::chrono::seconds(5)) const {
    std::unique_lock lock(mutex);
    return changed.wait_for(lock, limit, [&] { return pred(); });
  }

  std::shared_ptr<onebot::ActionTable> table(onebot::LinkId link) {
    std::lock_guard lock(mutex);
    return tables[link];
  }

  onebot::LinkId lastOpen() const {
    std::lock_guard lock(mutex);
    return opens.empty() ? 0 : opens.back().link;
  }
};
