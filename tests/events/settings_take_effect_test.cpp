// A setting changed between two events takes effect at the second, however soon after the first
// it changed (within the same second, the same clock tick) and whoever changed it: this process,
// or another one editing the profile in place without changing its size.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "event_fixture.h"

namespace events_test {
namespace {

class SettingsTakeEffectTest : public EventTest {
 protected:
  void ask() { events::dispatchEvent(event(2, "10001", "", gbk("你好"))); }
  std::string lastReply() const {
    const std::vector<std::string> sent = actions();
    return sent.empty() ? std::string() : sent.back();
  }
};

// Replaces the profile's bytes in place from a child process (same inode, same size).
void editInPlaceFromAnotherProcess(const std::string& path, const std::string& from, const std::string& to) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    std::string bytes = config::readWholeFile(path);
    const std::size_t at = bytes.find(from);
    if (at == std::string::npos) ::_exit(1);
    bytes.replace(at, from.size(), to);
    const int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0 || ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) ::_exit(1);
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

TEST_F(SettingsTakeEffectTest, AnEditBetweenTwoEventsAppliesToTheSecond) {
  struct Case {
    const char* what;
    bool aged;  // the profile is older than the file system's clock step at the first event
    bool otherProcess;
  } cases[] = {
      {"this process, at once", false, false},
      {"this process, profile read before", true, false},
      {"another process in place, at once", false, true},
      {"another process in place, profile read before", true, true},
  };
  const std::string path = config::ProfilePath(kGroup);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::filesystem::remove(path);
    setKey(kGroup, "关键词回复", "消息匹配模式", "1");
    setKey(kGroup, "关键词回复", "词库", gbk("你好---答复甲"));
    if (c.aged) std::this_thread::sleep_for(std::chrono::milliseconds(60));
    ask();
    EXPECT_EQ(lastReply(), "SendMsg(10000|2|20002|10001|答复甲|0)");
    if (c.otherProcess) {
      editInPlaceFromAnotherProcess(path, gbk("答复甲"), gbk("答复乙"));
    } else {
      setKey(kGroup, "关键词回复", "词库", gbk("你好---答复乙"));
    }
    ask();
    EXPECT_EQ(lastReply(), "SendMsg(10000|2|20002|10001|答复乙|0)");
    // A switch too: exact mode, in which "你好啊" no longer matches.
    setKey(kGroup, "关键词回复", "消息匹配模式", "0");
    host_->clearCalls();
    events::dispatchEvent(event(2, "10001", "", gbk("你好啊")));
    EXPECT_EQ(lastReply(), "");
  }
}

}  // namespace
}  // namespace events_test
