// The welcome private message to a newcomer.
#include "gifting/welcome_pm.h"
#include "gifting_fixture.h"

namespace gifting_test {
namespace {

const std::string kRobot = "40004";
const std::string kGroup = "20002";
const std::string kNewcomer = "10001";

class WelcomePmTest : public GiftingTest {
 protected:
  void SetUp() override {
    GiftingTest::SetUp();
    portrait_->setNickname(kNewcomer, gbk("小明"));
  }
  void greet(const std::string& group = kGroup) { gifting::sendWelcomePm(kRobot, 212, group, "99999", kNewcomer); }
  void switchOn(const std::string& folder, const std::string& utf8Value = "真") {
    writeProfile(folder, "进群私聊", "是否开启", gbk(utf8Value));
  }
  std::vector<support::HostCall> sent() { return host_->callsTo("Api_SendMsg"); }
};

TEST_F(WelcomePmTest, TheDefaultTextGreetsTheNewcomerPrivately) {
  config::EnsureProfile(kGroup);
  greet();
  EXPECT_TRUE(sent().empty());  // the built-in text leaves the switch out

  switchOn(kGroup);
  greet();
  ASSERT_EQ(sent().size(), 1u);
  EXPECT_EQ(sent()[0].args, (std::vector<std::string>{kRobot, "1", "0", kNewcomer,
                                                      gbk("欢迎QQ号为10001的玩家小明加入20002。祝你在本群玩的愉快。"), "-1"}));
}

TEST_F(WelcomePmTest, PlaceholdersAreExactAndTheTimeIsLocal) {
  switchOn(kGroup);
  testClock() = text::LocalTime{2024, 3, 5, 9, 30, 0};
  writeProfile(kGroup, "进群私聊", "进群私聊", gbk("[qq] [QQ] [北京时间] [换行] [群号]"));
  greet();
  ASSERT_EQ(sent().size(), 1u);
  EXPECT_EQ(sent()[0].arg(4), gbk("[qq] 10001 2024年3月5日9时30分 [换行] 20002"));
}

TEST_F(WelcomePmTest, TheSwitchIsReadFromTheProfileInUse) {
  switchOn(config::defaultFolder(), "假");
  switchOn("111111", "真");
  switchOn("222222", "假");
  writeProfile(config::defaultFolder(), "进群私聊", "进群私聊", "D");
  writeProfile("111111", "进群私聊", "进群私聊", "A");

  greet("111111");
  greet("222222");
  greet("333333");
  ASSERT_EQ(sent().size(), 1u);
  EXPECT_EQ(sent()[0].arg(4), "A");

  host_->clearCalls();
  switchOn(config::defaultFolder(), "真");
  greet("222222");
  EXPECT_TRUE(sent().empty());

  setSharedSwitch("真");
  greet("222222");
  greet("333333");
  ASSERT_EQ(sent().size(), 2u);
  EXPECT_EQ(sent()[0].arg(4), "D");
  EXPECT_EQ(sent()[1].arg(4), "D");

  // Switched on with no text: an empty message still goes out.
  host_->clearCalls();
  setSharedSwitch("假");
  switchOn("444444");
  greet("444444");
  ASSERT_EQ(sent().size(), 1u);
  EXPECT_EQ(sent()[0].arg(4), "");
}

}  // namespace
}  // namespace gifting_test
