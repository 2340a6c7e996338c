// Per-group ordered dispatch with back-pressure, and per-group send pacing.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <map>
#include <future>
#include <mutex>
#include <vector>

#include "onebot/group_dispatcher.h"
#include "onebot/send_pacer.h"

using namespace std::chrono_literals;

namespace {

TEST(GroupDispatcher, KeepsEachGroupInOrderWhileGroupsRunSideBySide) {
  onebot::GroupDispatcher dispatcher(3, 10000);
  std::mutex m;
  std::map<std::string, std::vector<int>> seen;
  // Group "a" waits inside its first task until group "b" has run: with one group at a time this
  // would never end.
  std::promise<void> bRan;
  auto bRanFuture = bRan.get_future().share();
  dispatcher.post("a", [&, bRanFuture] {
    EXPECT_EQ(bRanFuture.wait_for(5s), std::future_status::ready);
    std::lock_guard lock(m);
    seen["a"].push_back(0);
  });
  dispatcher.post("b", [&] { bRan.set_value(); });
  for (int i = 1; i <= 500; ++i)
    for (const char* g : {"a", "c", "d"})
      dispatcher.post(g, [&, i, g] {
        std::lock_guard lock(m);
        seen[g].push_back(i);
      });
  ASSERT_TRUE(dispatcher.drain(10s));
  for (const char* g : {"a", "c", "d"}) {
    const auto& v = seen[g];
    ASSERT_EQ(v.size(), g[0] == 'a' ? 501u : 500u) << g;
    EXPECT_TRUE(std::is_sorted(v.begin(), v.end())) << g;
  }
}

TEST(GroupDispatcher, FullQueueAsksToWaitAndCallsBackWhenThereIsRoom) {
  onebot::GroupDispatcher dispatcher(1, 3);
  std::promise<void> release;
  auto gate = release.get_future().share();
  std::atomic<int> ran{0};
  EXPECT_TRUE(dispatcher.post("g", [gate, &ran] { gate.wait(); ++ran; }));
  EXPECT_TRUE(dispatcher.post("g", [&ran] { ++ran; }));
  EXPECT_FALSE(dispatcher.post("h", [&ran] { ++ran; })) << "the third task fills the queue";
  EXPECT_FALSE(dispatcher.post("h", [&ran] { ++ran; })) << "taken all the same: nothing is dropped";

  std::promise<void> room;
  dispatcher.whenRoom([&] { room.set_value(); });
  auto roomFuture = room.get_future();
  EXPECT_EQ(roomFuture.wait_for(50ms), std::future_status::timeout);
  release.set_value();
  EXPECT_EQ(roomFuture.wait_for(5s), std::future_status::ready);
  ASSERT_TRUE(dispatcher.drain(5s));
  EXPECT_EQ(ran.load(), 4);

  bool calledAtOnce = false;
  dispatcher.whenRoom([&] { calledAtOnce = true; });
  EXPECT_TRUE(calledAtOnce);
  EXPECT_FALSE(dispatcher.post("g", [] {})) << "drained: no more tasks";
}

TEST(GroupDispatcher, ATaskThatThrowsDoesNotStopItsGroup) {
  onebot::GroupDispatcher dispatcher(2, 100);
  std::atomic<bool> second{false};
  dispatcher.post("g", [] { throw std::runtime_error("x"); });
  dispatcher.post("g", [&] { second = true; });
  ASSERT_TRUE(dispatcher.drain(5s));
  EXPECT_TRUE(second);
}

TEST(GroupDispatcher, DrainGivesUpAfterItsLimit) {
  onebot::GroupDispatcher dispatcher(1, 100);
  std::promise<void> release;
  auto gate = release.get_future().share();
  dispatcher.post("g", [gate] { gate.wait(); });
  EXPECT_FALSE(dispatcher.drain(50ms));
  release.set_value();
}

TEST(SendPacer, SpacesABurstAndLetsTheFirstAfterAQuietSpellGoAtOnce) {
  onebot::SendPacer pacer(500ms);
  const auto t0 = onebot::SendPacer::Clock::time_point{} + 100s;
  EXPECT_EQ(pacer.reserve("g", t0), t0);
  EXPECT_EQ(pacer.reserve("g", t0 + 10ms), t0 + 500ms);
  EXPECT_EQ(pacer.reserve("g", t0 + 20ms), t0 + 1000ms);
  EXPECT_EQ(pacer.reserve("h", t0 + 20ms), t0 + 20ms) << "groups are paced apart";
  EXPECT_EQ(pacer.reserve("g", t0 + 1200ms), t0 + 1500ms);
  EXPECT_EQ(pacer.reserve("g", t0 + 5000ms), t0 + 5000ms) << "after a quiet spell";

  onebot::SendPacer off(0ms);
  EXPECT_EQ(off.reserve("g", t0), t0);
  EXPECT_EQ(off.reserve("g", t0), t0);
}

}  // namespace
