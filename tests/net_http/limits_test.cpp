// The bounds of both HTTP clients against hostile stand-ins: a site that drips its answer ends at
// the request's deadline, a site that floods ends at the body cap, and neither keeps more of the
// body than the cap, with or without a pump on the calling thread.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "net/http_fetch.h"
#include "net/http_lite.h"
#include "stubs/stub_server.h"
#include "text/gbk.h"

namespace {

using namespace std::chrono_literals;
using stubs::Fault;
using stubs::StubAnswer;
using stubs::StubServer;

constexpr std::size_t kMiB = 1024 * 1024;
// Room for a loaded machine; the faults below would otherwise run for minutes.
constexpr auto kSlack = 3s;

StubAnswer faulty(Fault fault, std::string body = {}, std::chrono::milliseconds delay = 0ms) {
  StubAnswer a = stubs::answerWith(std::move(body));
  a.fault = fault;
  a.delay = delay;
  return a;
}

std::chrono::milliseconds since(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
}

// Installs a counting pump on this thread for its lifetime when `on`: the bounds hold the same
// whether the call runs plainly or in steps between which the window is served.
struct PumpWhile {
  explicit PumpWhile(bool on) {
    if (on) net::setPumpHook([this] { ++calls; });
  }
  ~PumpWhile() { net::setPumpHook(nullptr); }
  PumpWhile(const PumpWhile&) = delete;
  PumpWhile& operator=(const PumpWhile&) = delete;
  int calls = 0;
};

// The filler the flooding stand-in sends, as far as `n` bytes.
std::string floodPrefix(std::size_t n) {
  std::string s;
  while (s.size() < n) s += "0123456789abcdef";
  s.resize(n);
  return s;
}

TEST(HttpFetchLimits, EachBoundEndsTheCallWithThePhasesText) {
  const std::string noAnswer = text::gbk("712 服务器未响应!");
  const std::string readFailed = text::gbk("713 读取数据失败!");
  struct Case {
    std::string name;
    StubAnswer answer;
    int timeoutSeconds;
    std::chrono::milliseconds deadline;
    std::optional<std::size_t> maxBodyBytes;  // none: the field's default
    std::string status;
    std::size_t keptAtLeast, keptAtMost;  // body bytes returned
  };
  const Case cases[] = {
      // A byte every 50 ms keeps the 20 s idle timeout from firing: only the deadline ends it.
      {"dripping body", faulty(Fault::DripBody, std::string(2000, 'd'), 50ms), 20, 1000ms, kMiB, readFailed, 1,
       100},
      // The head never comes: the deadline is shorter than the idle timeout and wins.
      {"silent before the head", faulty(Fault::Delay, "late", 20000ms), 20, 1000ms, kMiB, noAnswer, 0, 0},
      {"flood past a small cap", faulty(Fault::FloodBody), 0, 30000ms, kMiB, readFailed, kMiB, kMiB},
      {"flood past the default cap", faulty(Fault::FloodBody), 0, 30000ms, std::nullopt, readFailed,
       16 * kMiB, 16 * kMiB},
      {"body one byte longer than the cap", stubs::answerWith(std::string(1001, 'b')), 0, 30000ms, 1000,
       readFailed, 1000, 1000},
      {"body exactly at the cap", stubs::answerWith(std::string(1000, 'b')), 0, 30000ms, 1000, "200 OK", 1000,
       1000},
  };
  for (const bool pumped : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name + (pumped ? " (pumped)" : ""));
      StubServer s;
      s.enqueue(c.answer);
      net::HttpRequest r;
      r.url = s.baseUrl() + "/x";
      r.timeoutSeconds = c.timeoutSeconds;
      r.deadline = c.deadline;
      if (c.maxBodyBytes) r.maxBodyBytes = *c.maxBodyBytes;
      net::HttpResponse out;
      PumpWhile pump(pumped);
      const auto start = std::chrono::steady_clock::now();
      const std::string body = net::HttpFetch(r, &out);
      EXPECT_LT(since(start), c.deadline + kSlack);
      EXPECT_EQ(out.status, c.status);
      EXPECT_GE(body.size(), c.keptAtLeast);
      EXPECT_LE(body.size(), c.keptAtMost);
      if (c.status != noAnswer) {
        EXPECT_EQ(out.bodyBytes, body);
      }
      if (c.answer.fault == Fault::FloodBody) {
        EXPECT_EQ(body, floodPrefix(c.keptAtMost));
      }
      EXPECT_EQ(pump.calls > 0, pumped);
    }
  }
}

TEST(HttpFetchLimits, ADeadlineThatIsNotPositiveIsTheDefault) {
  // curl would take 0 as "no limit"; the call still answers normally.
  StubServer s;
  s.enqueue(stubs::answerWith("ok"));
  net::HttpRequest r;
  r.url = s.baseUrl();
  r.deadline = 0ms;
  net::HttpResponse out;
  EXPECT_EQ(net::HttpFetch(r, &out), "ok");
  EXPECT_EQ(out.status, "200 OK");
}

TEST(HttpLiteLimits, DrippingAndFloodingEndAtTheirBoundWithWhatArrived) {
  struct Case {
    std::string name;
    StubAnswer answer;
    std::chrono::milliseconds deadline;
    std::optional<std::size_t> maxBodyBytes;  // none: the field's default
    std::size_t keptAtLeast, keptAtMost;
  };
  const Case cases[] = {
      {"dripping body", faulty(Fault::DripBody, std::string(2000, 'd'), 50ms), 1000ms, kMiB, 1, 100},
      {"flood past a small cap", faulty(Fault::FloodBody), 30000ms, kMiB, kMiB, kMiB},
      {"flood past the default cap", faulty(Fault::FloodBody), 30000ms, std::nullopt, 16 * kMiB,
       16 * kMiB},
  };
  for (const bool pumped : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name + (pumped ? " (pumped)" : ""));
      StubServer s;
      s.enqueue(c.answer);
      net::LiteRequest r;
      r.url = s.baseUrl() + "/x";
      r.method = 1;
      r.body = "a=1";
      r.deadline = c.deadline;
      if (c.maxBodyBytes) r.maxBodyBytes = *c.maxBodyBytes;
      PumpWhile pump(pumped);
      const auto start = std::chrono::steady_clock::now();
      const std::string body = net::HttpLite(r);
      EXPECT_LT(since(start), c.deadline + kSlack);
      EXPECT_GE(body.size(), c.keptAtLeast);
      EXPECT_LE(body.size(), c.keptAtMost);
      if (c.answer.fault == Fault::FloodBody) {
        EXPECT_EQ(body, floodPrefix(c.keptAtMost));
      }
      EXPECT_EQ(pump.calls > 0, pumped);
    }
  }
}

}  // namespace
