// The reverse server and the forward client over loopback against the implementation stand-in:
// handshakes, events, actions answered late and out of order, drops, oversized frames, pausing.
#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "link_recorder.h"
#include "onebot/auth.h"
#include "onebot/forward_client.h"
#include "onebot/reverse_server.h"
#include "stubs/onebot_standin.h"

using namespace std::chrono_literals;
using nlohmann::json;
using onebot::ActionResult;
using stubs::OneBotConnectOptions;
using stubs::OneBotStandin;

namespace {

json textMessage(const std::string& t) { return json::array({{{"type", "text"}, {"data", {{"text", t}}}}}); }

OneBotConnectOptions robot(const std::string& self, const std::string& token = "s3cret") {
  OneBotConnectOptions o;
  o.selfId = self;
  o.token = token;
  return o;
}

TEST(Authorization, TokenIsComparedWhole) {
  struct Case {
    const char* header;
    const char* token;
    bool taken;
  } cases[] = {
      {"Bearer s3cret", "s3cret", true},     {"bearer s3cret", "s3cret", true}, {"Token s3cret", "s3cret", true},
      {"Bearer  s3cret ", "s3cret", true},   {"Bearer s3cre", "s3cret", false}, {"Bearer s3cretX", "s3cret", false},
      {"Basic s3cret", "s3cret", false},     {"s3cret", "s3cret", false},       {"", "s3cret", false},
      {"Bearer ", "", true},                 {"", "", true},
  };
  for (const auto& c : cases) EXPECT_EQ(onebot::authorizationMatches(c.header, c.token), c.taken) << c.header;
}

class ReverseServerTest : public ::testing::Test {
 protected:
  void SetUp() override { start(); }

  void start(std::size_t readLimit = onebot::kDefaultReadLimit) {
    onebot::ReverseServerOptions o;
    o.token = "s3cret";
    o.readLimit = readLimit;
    o.onRefused = [this](const std::string& line) {
      std::lock_guard lock(refusedMutex);
      refused.push_back(line);
    };
    std::string error;
    server = onebot::ReverseServer::listen(o, recorder.handlers(), &error);
    ASSERT_TRUE(server) << error;
  }

  ActionResult call(onebot::LinkId link, const std::string& action, json params) {
    return recorder.table(link)->call(action, std::move(params), [&](std::string frame) {
      server->send(link, std::move(frame));
      return true;
    });
  }

  LinkRecorder recorder;
  std::mutex refusedMutex;
  std::vector<std::string> refused;
  std::unique_ptr<onebot::ReverseServer> server;
};

TEST_F(ReverseServerTest, RefusesBadHandshakesDeliversNothingAndLivesOn) {
  struct Case {
    const char* name;
    OneBotConnectOptions options;
    int status;
  } cases[] = {
      {"wrong token", robot("10001", "guess"), 401},
      {"no token (NapCat sends an empty Bearer)", robot("10001", ""), 401},
      {"token one byte short", robot("10001", "s3cre"), 401},
      {"no X-Self-ID", [] { auto o = robot("10001"); o.sendSelfId = false; return o; }(), 400},
      {"X-Self-ID not a number", robot("abc"), 400},
      {"API role", [] { auto o = robot("10001"); o.role = "API"; return o; }(), 400},
      {"no role", [] { auto o = robot("10001"); o.role = ""; return o; }(), 400},
      {"wrong path", [] { auto o = robot("10001"); o.path = "/onebot"; return o; }(), 404},
  };
  for (const auto& c : cases) {
    OneBotStandin peer;
    EXPECT_EQ(peer.connect(server->port(), c.options), c.status) << c.name;
  }
  {
    std::lock_guard lock(refusedMutex);
    EXPECT_EQ(refused.size(), std::size(cases));
  }
  EXPECT_TRUE(recorder.opens.empty());

  OneBotStandin peer;
  auto options = robot("10001");
  options.role = "universal";
  ASSERT_EQ(peer.connect(server->port(), options), 101);
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.opens.size() == 1; }));
  EXPECT_EQ(recorder.opens[0].selfId, "10001");
}

TEST_F(ReverseServerTest, EventsArriveAndRepliesFindTheirCallsInAnyOrder) {
  OneBotStandin peer;
  ASSERT_EQ(peer.connect(server->port(), robot("10001")), 101);
  ASSERT_TRUE(recorder.waitFor([&] { return !recorder.opens.empty(); }));
  const auto link = recorder.lastOpen();

  peer.sendEvent(OneBotStandin::heartbeat("10001"));
  peer.sendRaw("{\"post_type\":\"message\",");  // malformed: the link goes on
  peer.sendEvent(OneBotStandin::groupMessage("10001", 20002, 30003, 7, textMessage("hi")));
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.events.size() == 1; }));
  EXPECT_EQ(recorder.events[0].message, "hi");
  EXPECT_EQ(recorder.malformed, 1);
  EXPECT_EQ(recorder.skipped, 2) << "lifecycle and heartbeat";

  peer.answer("get_stranger_info", OneBotStandin::strangerInfo(stubs::OneBotFlavor::NapCat, 30003, "n", 12, "s"), 300ms);
  peer.answer("get_group_list", json::array({{{"group_id", 20002}, {"group_name", "g"}}}));
  auto slow = std::async(std::launch::async, [&] { return call(link, "get_stranger_info", {{"user_id", 30003}}); });
  ASSERT_TRUE(peer.waitForActions(1, 5s));
  const auto fast = call(link, "get_group_list", json::object());
  ASSERT_TRUE(fast.ok()) << fast.message;
  EXPECT_EQ(fast.data[0]["group_id"], 20002);
  EXPECT_EQ(slow.wait_for(0ms), std::future_status::timeout) << "the later call came back first";
  const auto stranger = slow.get();
  ASSERT_TRUE(stranger.ok()) << stranger.message;
  EXPECT_EQ(stranger.data["qqLevel"], 12);

  peer.fail("set_group_kick", 1200, "risk control");
  const auto failed = call(link, "set_group_kick", {{"group_id", 1}, {"user_id", 2}});
  EXPECT_EQ(failed.outcome, ActionResult::Outcome::Failed);
  EXPECT_EQ(failed.retcode, 1200);
  EXPECT_EQ(failed.message, "risk control");

  const auto requests = peer.actions();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0]["params"]["user_id"], 30003);
  EXPECT_NE(requests[0]["echo"], requests[1]["echo"]);
  EXPECT_NE(requests[1]["echo"], requests[2]["echo"]);
}

TEST_F(ReverseServerTest, PendingCallsEndAtOnceWhenTheLinkDropsAndLateOnesTimeOut) {
  recorder.actionTimeout = 300ms;
  OneBotStandin peer;
  ASSERT_EQ(peer.connect(server->port(), robot("10001")), 101);
  ASSERT_TRUE(recorder.waitFor([&] { return !recorder.opens.empty(); }));
  const auto link = recorder.lastOpen();

  peer.ignore("get_login_info");
  const auto silent = call(link, "get_login_info", json::object());
  EXPECT_EQ(silent.outcome, ActionResult::Outcome::TimedOut);
  EXPECT_EQ(recorder.table(link)->waiting(), 0u);

  // Two calls wait on an unanswered action; a third action makes the peer drop the connection.
  recorder.table(link);  // same table
  auto waiting1 = std::async(std::launch::async, [&] { return call(link, "get_login_info", json::object()); });
  auto waiting2 = std::async(std::launch::async, [&] { return call(link, "get_login_info", json::object()); });
  ASSERT_TRUE(peer.waitForActions(3, 5s));
  peer.dropOn("set_group_ban");
  const auto dropped = call(link, "set_group_ban", {{"group_id", 1}, {"user_id", 2}, {"duration", 60}});
  EXPECT_EQ(dropped.outcome, ActionResult::Outcome::Dropped);
  EXPECT_EQ(waiting1.get().outcome, ActionResult::Outcome::Dropped);
  EXPECT_EQ(waiting2.get().outcome, ActionResult::Outcome::Dropped);
  EXPECT_EQ(call(link, "get_login_info", json::object()).outcome, ActionResult::Outcome::Dropped)
      << "a call on a gone link ends at once";
}

TEST_F(ReverseServerTest, ANewerLinkReplacesTheOlderAndRobotsAreServedSideBySide) {
  OneBotStandin first, other, again;
  ASSERT_EQ(first.connect(server->port(), robot("10001")), 101);
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.opens.size() == 1; }));
  ASSERT_EQ(other.connect(server->port(), robot("10002")), 101);
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.opens.size() == 2; }));
  ASSERT_EQ(again.connect(server->port(), robot("10001")), 101);
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.opens.size() == 3; }));
  EXPECT_TRUE(first.waitDisconnected(5s));
  EXPECT_EQ(recorder.order, (std::vector<std::string>{"open 10001", "open 10002", "close 10001", "open 10001"}));

  other.sendEvent(OneBotStandin::groupMessage("10002", 1, 2, 3, textMessage("b")));
  again.sendEvent(OneBotStandin::groupMessage("10001", 1, 2, 4, textMessage("a")));
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.events.size() == 2; }));

  server.reset();
  EXPECT_EQ(recorder.closes.size(), 3u) << "stopping reports every open link";
  EXPECT_TRUE(other.waitDisconnected(5s));
}

TEST_F(ReverseServerTest, AFrameOverTheLimitClosesOnlyItsLink) {
  OneBotStandin big, quiet;
  ASSERT_EQ(big.connect(server->port(), robot("10001")), 101);
  ASSERT_EQ(quiet.connect(server->port(), robot("10002")), 101);
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.opens.size() == 2; }));

  auto huge = OneBotStandin::groupMessage("10001", 1, 2, 3, textMessage(std::string(16u << 20, 'x')));
  big.sendEvent(huge);
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.closes.size() == 1; }, 20s));
  EXPECT_EQ(recorder.closes[0].reason, "frame over the size limit");
  EXPECT_TRUE(big.waitDisconnected(5s));
  EXPECT_TRUE(recorder.events.empty());

  quiet.sendEvent(OneBotStandin::groupMessage("10002", 1, 2, 3, textMessage("still here")));
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.events.size() == 1; }));
  ASSERT_EQ(big.connect(server->port(), robot("10001")), 101) << "the robot comes back";
}

TEST_F(ReverseServerTest, ALargeFrameWithinTheLimitIsRead) {
  OneBotStandin peer;
  ASSERT_EQ(peer.connect(server->port(), robot("10001")), 101);
  peer.sendEvent(OneBotStandin::groupMessage("10001", 1, 2, 3, textMessage(std::string(3u << 20, 'y'))));
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.events.size() == 1; }, 20s));
  EXPECT_EQ(recorder.events[0].message.size(), 3u << 20);
}

TEST_F(ReverseServerTest, APausedLinkIsNotReadUntilResumed) {
  recorder.pauseAfterEachEvent = true;
  OneBotStandin peer;
  ASSERT_EQ(peer.connect(server->port(), robot("10001")), 101);
  ASSERT_TRUE(recorder.waitFor([&] { return !recorder.opens.empty(); }));
  for (int i = 1; i <= 3; ++i) peer.sendEvent(OneBotStandin::groupMessage("10001", 1, 2, i, textMessage("m")));
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.events.size() == 1; }));
  EXPECT_FALSE(recorder.waitFor([&] { return recorder.events.size() > 1; }, 200ms));
  server->resume(recorder.lastOpen());
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.events.size() == 2; }));
  server->resume(recorder.lastOpen());
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.events.size() == 3; }));
  EXPECT_EQ(recorder.events[2].messageId, "3");
}

TEST(ForwardClient, ConnectsWithTheTokenAndReconnectsAfterADrop) {
  OneBotStandin peer;
  const auto port = peer.listen("t0ken", "10003");
  LinkRecorder recorder;
  onebot::ForwardClientOptions o;
  o.url = "ws://127.0.0.1:" + std::to_string(port);
  o.token = "t0ken";
  o.firstDelay = 20ms;
  std::string error;
  auto client = onebot::ForwardClient::start(o, recorder.handlers(), &error);
  ASSERT_TRUE(client) << error;
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.opens.size() == 1; }));
  EXPECT_EQ(recorder.opens[0].selfId, "");
  ASSERT_TRUE(peer.waitConnected(5s));  // the stand-in's side of the handshake may finish later
  peer.sendEvent(OneBotStandin::groupMessage("10003", 5, 6, 1, textMessage("one")));
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.events.size() == 1; }));
  EXPECT_EQ(recorder.events[0].robot, "10003");

  peer.drop();
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.opens.size() == 2; }));
  EXPECT_EQ(recorder.closes.size(), 1u);
  ASSERT_TRUE(peer.waitConnected(5s));
  peer.sendEvent(OneBotStandin::groupMessage("10003", 5, 6, 2, textMessage("two")));
  ASSERT_TRUE(recorder.waitFor([&] { return recorder.events.size() == 2; }));

  const auto link = recorder.lastOpen();
  peer.answer("get_login_info", {{"user_id", 10003}, {"nickname", "bot"}});
  const auto info = recorder.table(link)->call("get_login_info", json::object(), [&](std::string f) {
    client->send(link, std::move(f));
    return true;
  });
  ASSERT_TRUE(info.ok()) << info.message;
  EXPECT_EQ(info.data["user_id"], 10003);
  EXPECT_EQ(peer.handshakesRefused(), 0);
}

TEST(ForwardClient, BacksOffDoublingUpToTheCeiling) {
  OneBotStandin peer;
  const auto port = peer.listen("right", "10003");
  LinkRecorder recorder;
  std::mutex m;
  std::vector<long long> delays;
  onebot::ForwardClientOptions o;
  o.url = "ws://127.0.0.1:" + std::to_string(port) + "/";
  o.token = "wrong";
  o.firstDelay = 10ms;
  o.maxDelay = 40ms;
  o.onRetry = [&](const std::string& why, std::chrono::milliseconds d) {
    std::lock_guard lock(m);
    EXPECT_EQ(why, "refused with HTTP 401");
    delays.push_back(d.count());
  };
  auto client = onebot::ForwardClient::start(o, recorder.handlers(), nullptr);
  ASSERT_TRUE(client);
  for (int i = 0; i < 500; ++i) {
    {
      std::lock_guard lock(m);
      if (delays.size() >= 5) break;
    }
    std::this_thread::sleep_for(10ms);
  }
  client.reset();
  std::lock_guard lock(m);
  ASSERT_GE(delays.size(), 5u);
  EXPECT_EQ(std::vector<long long>(delays.begin(), delays.begin() + 5), (std::vector<long long>{10, 20, 40, 40, 40}));
  EXPECT_TRUE(recorder.opens.empty());
}

TEST(ForwardClient, RefusesAnAddressItCannotUse) {
  LinkRecorder recorder;
  for (const char* url : {"http://127.0.0.1:3001", "wss://x:1", "ws://:80", "ws://h:port"}) {
    onebot::ForwardClientOptions o;
    o.url = url;
    std::string error;
    EXPECT_FALSE(onebot::ForwardClient::start(o, recorder.handlers(), &error)) << url;
    EXPECT_FALSE(error.empty());
  }
}

}  // namespace
