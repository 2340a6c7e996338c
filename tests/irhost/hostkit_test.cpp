// The host kit in-process: the exported host functions in front of a backend and observers, the
// way irhost, the tests' recording host and a bridge to real groups use it.
#include <gtest/gtest.h>

#include <barrier>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "hostkit/host.h"
#include "hostkit/host_functions.h"
#include "hostkit/scripted_host.h"

namespace {

using hostkit::HostCall;

struct Seen : hostkit::Observer {
  std::vector<std::pair<HostCall, std::string>> calls;
  void observe(const HostCall& call, const std::string& answer) override { calls.emplace_back(call, answer); }
};

// A backend that carries out actions itself, as a bridge does: it only notes what it was asked.
struct Acting : hostkit::ScriptedHost {
  std::vector<std::string> done;
  void SendMsg(const std::string&, int32_t, const std::string& group, const std::string&, const std::string& text,
               int32_t) override {
    done.push_back("send " + group + " " + text);
  }
  void ShutUP(const std::string&, const std::string& group, const std::string& qq, int32_t seconds) override {
    done.push_back("ban " + group + " " + qq + " " + std::to_string(seconds));
  }
};

class HostKitTest : public ::testing::Test {
 protected:
  void SetUp() override { hostkit::setProcessHost(&host); }
  void TearDown() override { hostkit::setProcessHost(nullptr); }
  hostkit::Host host;
};

TEST_F(HostKitTest, BackendActsAndAnswersThenEveryObserverSeesTheCallInOrder) {
  auto backend = std::make_shared<Acting>();
  backend->setLevel("*", 3);
  backend->setLevel("10001", 25);
  backend->setNick("10001", "nick");
  Seen first, second;
  host.setBackend(backend);
  host.addObserver(first);
  host.addObserver(second);

  Api_SendMsg("10000", 2, "20002", nullptr, "hi", 0);
  Api_ShutUP("10000", "20002", "10001", 600);
  EXPECT_EQ(Api_GetObjLevel("10000", "10001"), 25);
  EXPECT_EQ(Api_GetObjLevel("10000", "19999"), 3);
  EXPECT_EQ(std::string(Api_GetNick("10000", "10001")), "nick");
  Api_KickGroupMBR("10000", "20002", "10001", 7);

  EXPECT_EQ(backend->done, (std::vector<std::string>{"send 20002 hi", "ban 20002 10001 600"}));
  const std::vector<std::pair<HostCall, std::string>> expected = {
      {{"Api_SendMsg", {"10000", "2", "20002", "", "hi", "0"}}, ""},
      {{"Api_ShutUP", {"10000", "20002", "10001", "600"}}, ""},
      {{"Api_GetObjLevel", {"10000", "10001"}}, "25"},
      {{"Api_GetObjLevel", {"10000", "19999"}}, "3"},
      {{"Api_GetNick", {"10000", "10001"}}, "nick"},
      {{"Api_KickGroupMBR", {"10000", "20002", "10001", "1"}}, ""},
  };
  EXPECT_EQ(first.calls, expected);
  EXPECT_EQ(second.calls, expected);

  // Without a backend a query answers nothing; a removed observer sees no more.
  host.setBackend(nullptr);
  host.removeObserver(second);
  EXPECT_EQ(Api_GetObjLevel("10000", "10001"), 0);
  EXPECT_EQ(std::string(Api_GetNick("10000", "10001")), "");
  EXPECT_EQ(first.calls.size(), expected.size() + 2);
  EXPECT_EQ(second.calls.size(), expected.size());
  host.removeObserver(first);
}

// Every text answer stays the calling thread's own until that thread asks again, however the
// other threads' calls come after it.
TEST_F(HostKitTest, TextAnswersStayApartBetweenThreads) {
  auto script = std::make_shared<hostkit::ScriptedHost>();
  host.setBackend(script);
  constexpr int kThreads = 8;
  for (int t = 0; t < kThreads; ++t) {
    const std::string n = std::to_string(t);
    script->setSign(n, "sign" + n);
    script->setNick(n, "nick" + n);
    script->setPicLink(n, "link" + n);
  }
  std::mutex turn;  // the lists answer everyone alike, so each thread asks after scripting its own
  std::barrier everyoneAsked(kThreads);
  std::vector<std::vector<std::string>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string n = std::to_string(t);
      std::vector<const char*> answers;
      {
        std::lock_guard lock(turn);
        script->setQQList("qqs" + n);
        script->setGroupList("groups" + n);
        answers = {Api_GetSign("r", n.c_str()), Api_GetNick("r", n.c_str()), Api_GetPicLink("r", 1, "g", n.c_str()),
                   Api_GetQQList(), Api_GetGroupList("r")};
      }
      everyoneAsked.arrive_and_wait();
      for (const char* a : answers) seen[t].push_back(a ? a : "(null)");
    });
  }
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    const std::string n = std::to_string(t);
    EXPECT_EQ(seen[t], (std::vector<std::string>{"sign" + n, "nick" + n, "link" + n, "qqs" + n, "groups" + n}));
  }
}

}  // namespace
