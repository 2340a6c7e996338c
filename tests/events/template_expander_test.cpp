#include "events/template_expander.h"

#include "event_fixture.h"
#include "events/join_records.h"

namespace events_test {
namespace {

using events::JoinOrders;
using events::JoinTemplate;
using events::TemplateExpander;

const std::string kTime = "2024年3月5日14时7分9秒";

class TemplateTest : public EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    portrait_.setNickname("10001", gbk("小明"));
    portrait_.setNickname("30003", gbk("阿强"));
  }
  std::string avatar(const std::string& qq, int size) const {
    return "[IR:pic=" + qq_.baseUrl() + "/headimg_dl?dst_uin=" + qq + "&spec=" + std::to_string(size) +
           "&img_type=jpg]";
  }
  // Expands a UTF-8 template for newcomer 10001 invited by 30003 and gives the result in UTF-8.
  std::string expand(JoinTemplate which, const std::string& templ, const JoinOrders& orders = {}) {
    const events::HostEvent e = event(which == JoinTemplate::Welcome || which == JoinTemplate::ReturningJoined ? 212 : 219,
                                      "30003", "10001");
    return text::gbkToUtf8(TemplateExpander(e, groupProfile()).expand(which, gbk(templ), orders));
  }
};

TEST_F(TemplateTest, BuiltInWelcome) {
  config::EnsureProfile(kGroup);
  JoinOrders orders;
  orders.newcomer = [] { return std::optional<std::string>(gbk("已下单成功")); };
  const std::string templ = text::gbkToUtf8(config::ReadValue(config::ProfilePath(kGroup), gbk("自定义话语"), gbk("入群消息")));
  EXPECT_EQ(expand(JoinTemplate::Welcome, templ, orders),
            "[IR:at=10001]\r\n" + avatar("10001", 100) + "\r\n10001(小明)感谢您加入本群\r\n特别奖励您100\r\n订单状态:已下单成功\r\n\r\n" +
                kTime);
}

TEST_F(TemplateTest, BuiltInReturningMentionsTheNewcomerOnly) {
  EXPECT_EQ(expand(JoinTemplate::ReturningJoined, "[@入群QQ号]"), "[IR:at=10001]");
  EXPECT_EQ(expand(JoinTemplate::ReturningInvited, "[@入群QQ号]"), "[IR:at=10001]");
}

// Each template fills its own placeholders; the others stay as typed (letter case ignored in matching).
TEST_F(TemplateTest, EachTemplateFillsItsOwnPlaceholders) {
  setKey(kGroup, "名片赞数量", "入群赠送", "100");
  setKey(kGroup, "名片赞数量", "邀请赠送", "50");
  setKey(kGroup, "自定义话语", "小尾巴", "T");
  config::makeFolder(config::FolderPath(kGroup));
  config::WriteValue(events::inviteStatsPath(kGroup), "30003", gbk("拉入人数"), "3");
  const std::string probe =
      "[现在时间]|[入群赠送数量]|[邀请赠送数量]|[订单状态]|[入群订单状态]|[邀请订单状态]|[小尾巴]|[入群QQ]|"
      "[@入群QQ号]|[入群QQ头像]|[入群qq名称]|[邀请QQ]|[@邀请qq号]|[邀请QQ头像]|[邀请QQ名称]|[邀请统计]|[换行]";
  JoinOrders orders;
  orders.newcomer = [] { return std::optional<std::string>("N-ok"); };
  orders.inviter = [] { return std::optional<std::string>("I-ok"); };
  const std::string unfilledInviter = "[邀请QQ]|[@邀请qq号]|[邀请QQ头像]|[邀请QQ名称]|[邀请统计]|\r\n";

  EXPECT_EQ(expand(JoinTemplate::Welcome, probe, orders),
            kTime + "|100|[邀请赠送数量]|N-ok|[入群订单状态]|[邀请订单状态]|T|10001|[IR:at=10001]|" + avatar("10001", 100) +
                "|小明|" + unfilledInviter);
  EXPECT_EQ(expand(JoinTemplate::ReturningJoined, probe),
            kTime + "|100|50|[订单状态]|[入群订单状态]|[邀请订单状态]|T|10001|[IR:at=10001]|" + avatar("10001", 160) +
                "|小明|" + unfilledInviter);
  EXPECT_EQ(expand(JoinTemplate::ReturningInvited, probe),
            kTime + "|100|50|[订单状态]|[入群订单状态]|[邀请订单状态]|[小尾巴]|10001|[IR:at=10001]|" +
                avatar("10001", 100) + "|小明|" + unfilledInviter);
  EXPECT_EQ(expand(JoinTemplate::Invitation, probe, orders),
            kTime + "|100|50|[订单状态]|N-ok|I-ok|T|10001|[IR:at=10001]|" + avatar("10001", 160) + "|小明|30003|" +
                "[IR:at=30003]|" + avatar("30003", 160) + "|阿强|3|\r\n");
}

TEST_F(TemplateTest, InsertedValuesAreExpandedOnlyByLaterSteps) {
  // The nickname comes after the time and the tail: those stay, while the line marker, always
  // last, becomes a line break.
  portrait_.setNickname("10001", gbk("[现在时间][小尾巴]x[换行]y"));
  EXPECT_EQ(expand(JoinTemplate::Welcome, "<[入群QQ名称]>"), "<[现在时间][小尾巴]x\r\ny>");
  // The tail comes before the newcomer's number, so a number placeholder in it is filled.
  setKey(kGroup, "自定义话语", "小尾巴", gbk("by [入群QQ]"));
  EXPECT_EQ(expand(JoinTemplate::Welcome, "[小尾巴]"), "by 10001");
}

TEST_F(TemplateTest, AMissingTailIsALineBreak) {
  EXPECT_EQ(expand(JoinTemplate::Welcome, "a[小尾巴]b"), "a\r\nb");
  setKey(kGroup, "自定义话语", "小尾巴", "");
  EXPECT_EQ(expand(JoinTemplate::Welcome, "a[小尾巴]b"), "ab");
}

TEST_F(TemplateTest, OrdersArePlacedAtTheirStepsWhetherOrNotTheTemplateShowsThem) {
  std::vector<std::string> placed;
  JoinOrders orders;
  orders.newcomer = [&] {
    placed.push_back("newcomer");
    return std::optional<std::string>("ok");
  };
  orders.inviter = [&] {
    placed.push_back("inviter");
    return std::optional<std::string>("ok");
  };
  EXPECT_EQ(expand(JoinTemplate::Invitation, "hi", orders), "hi");
  EXPECT_EQ(placed, (std::vector<std::string>{"newcomer", "inviter"}));

  // An order that is not placed leaves its placeholder in the text.
  JoinOrders notPlaced;
  notPlaced.newcomer = [] { return std::nullopt; };
  EXPECT_EQ(expand(JoinTemplate::Welcome, "订单状态:[订单状态]", notPlaced), "订单状态:[订单状态]");
}

}  // namespace
}  // namespace events_test
