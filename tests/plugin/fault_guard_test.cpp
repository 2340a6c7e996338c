#include "plugin/fault_guard.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <vector>

#include "hostapi/host_api.h"
#include "support/recording_host.h"
#include "text/gbk.h"

namespace {

class FaultGuardTest : public ::testing::Test {
 protected:
  void SetUp() override { hostapi::setHostApi(fake); }
  void TearDown() override { hostapi::setHostApi(nullptr); }

  std::vector<std::string> logLines() const {
    std::vector<std::string> lines;
    for (const auto& c : fake->callsTo("Api_OutPutLog")) lines.push_back(c.arg(0));
    return lines;
  }

  std::shared_ptr<support::RecordingHost> fake = std::make_shared<support::RecordingHost>();
};

TEST_F(FaultGuardTest, WorkThatSucceedsKeepsItsResultAndLogsNothing) {
  EXPECT_EQ(plugin::guarded(-1, [] { return 7; }), 7);
  EXPECT_TRUE(logLines().empty());
}

TEST_F(FaultGuardTest, FaultIsLoggedWithThePrefixAndTheUsualResultReturned) {
  const std::string gbkMessage = text::gbk("列表下标越界");
  struct Case {
    const char* name;
    std::function<int()> work;
    std::string message;  // what must follow the prefix
  } cases[] = {
      {"index outside a list",
       [] { return std::vector<int>(3).at(5); },
       std::string()},  // the library's own wording; checked for the prefix only
      {"runtime error with a GBK message", [&] () -> int { throw std::runtime_error(gbkMessage); }, gbkMessage},
      {"thrown non-exception", []() -> int { throw 42; }, text::gbk("未知异常")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fake->clearCalls();
    EXPECT_EQ(plugin::guarded(1, c.work), 1);
    auto lines = logLines();
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].rfind(plugin::faultLogPrefix(), 0), 0u);
    std::string after = lines[0].substr(plugin::faultLogPrefix().size());
    if (c.message.empty())
      EXPECT_FALSE(after.empty());
    else
      EXPECT_EQ(after, c.message);
  }
}

TEST_F(FaultGuardTest, PrefixNamesThePluginsException) {
  EXPECT_EQ(text::gbkToUtf8(plugin::faultLogPrefix()), "朔禾引流插件发生异常，异常信息：");
}

TEST_F(FaultGuardTest, WorkWithoutResultIsAbandonedAtTheFault) {
  bool after = false;
  plugin::guarded([&] {
    throw std::logic_error("stop");
    after = true;
  });
  EXPECT_FALSE(after);
  EXPECT_EQ(logLines(), std::vector<std::string>{plugin::faultLogPrefix() + "stop"});
}

TEST_F(FaultGuardTest, FailingHostLogDoesNotEscape) {
  fake->failNextCall("Api_OutPutLog", "log down");
  EXPECT_EQ(plugin::guarded(5, []() -> int { throw std::runtime_error("first"); }), 5);
  EXPECT_EQ(logLines().size(), 1u);  // the attempt was made and its failure swallowed
}

}  // namespace
