// The in-memory run log: line form, views, the cap and the listener.
#include <atomic>

#include "gifting/run_log.h"
#include "gifting_fixture.h"

namespace gifting_test {
namespace {

using gifting::appendRunLog;
using gifting::viewText;

class RunLogTest : public GiftingTest {};

TEST_F(RunLogTest, NewestLineFirstWithTheTimeText) {
  appendRunLog(3, "first");
  testClock() = text::LocalTime{2024, 3, 5, 0, 0, 0};
  appendRunLog(3, "second");
  appendRunLog(5, "ignored");
  appendRunLog(-1, "ignored");
  EXPECT_EQ(viewText(3), gbk("2024年3月5日  second\r\n2024年3月5日14时7分  first\r\n"));
  for (int view : {0, 1, 2, 4}) EXPECT_EQ(viewText(view), "") << view;
  EXPECT_EQ(viewText(5), "");
}

TEST_F(RunLogTest, AViewDropsItsOldestWholeLinesBeyondOneMebibyte) {
  const std::string filler(1000, 'x');
  std::size_t appended = 0;
  while (appended <= 2 * gifting::kRunLogViewCapacity) {
    appendRunLog(4, std::to_string(appended) + filler);
    appended += filler.size();
  }
  const std::string newest = std::to_string(appended - filler.size()) + filler;
  appendRunLog(4, newest);

  const std::string view = viewText(4);
  EXPECT_LE(view.size(), gifting::kRunLogViewCapacity);
  EXPECT_GT(view.size(), gifting::kRunLogViewCapacity - 2000);
  const std::string prefix = gbk("2024年3月5日14时7分  ");
  EXPECT_EQ(view.rfind(prefix + newest + "\r\n", 0), 0u);
  // Every line left is whole.
  std::size_t start = 0;
  while (start < view.size()) {
    const std::size_t end = view.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    const std::string line = view.substr(start, end - start);
    EXPECT_EQ(line.rfind(prefix, 0), 0u);
    EXPECT_EQ(line.substr(line.size() - filler.size()), filler);
    start = end + 2;
  }
}

TEST_F(RunLogTest, TheListenerHearsEachChangedView) {
  std::vector<int> heard;
  gifting::setRunLogListener([&](int view) {
    heard.push_back(view);
    EXPECT_NE(viewText(view), "");  // the text is already there, and reading it does not block
  });
  appendRunLog(0, "a");
  appendRunLog(2, "b");
  appendRunLog(9, "c");
  EXPECT_EQ(heard, (std::vector<int>{0, 2}));
}

}  // namespace
}  // namespace gifting_test
