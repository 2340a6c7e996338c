// The daily claim command end to end: register file, orders at the site stand-in, host calls.
#include <thread>
#include <vector>

#include "gifting/daily_claim.h"
#include "gifting/xml_card.h"
#include "gifting_fixture.h"

namespace gifting_test {
namespace {

using gifting::handleDailyClaim;

const std::string kRobot = "40004";
const std::string kGroup = "20002";
const std::string kSender = "30003";

class DailyClaimTest : public GiftingTest {
 protected:
  void SetUp() override {
    GiftingTest::SetUp();
    portrait_->setNickname(kSender, gbk("小明"));
  }
  // A group (or the default profile) made from the built-in text with the claim switched on and
  // orders going to the 亿乐 stand-in.
  void prepare(const std::string& folder) {
    config::EnsureProfile(folder);
    writeProfile(folder, "软件参数", "是否开启每日领取", gbk("真"));
    wireYile(folder);
  }
  void claim(const std::string& group = kGroup, const std::string& message = "") {
    handleDailyClaim(kRobot, group, kSender, message.empty() ? gbk("领取名片赞") : message);
  }
  std::string registerValue(const std::string& folder, const std::string& utf8Day) {
    return config::ReadValue(config::RecordsPath(folder, gbk("每日领取.ini")), gbk(utf8Day), kSender);
  }
  std::string avatar() const {
    return "[IR:pic=" + qqServer_.baseUrl() + "/headimg_dl?dst_uin=30003&spec=160&img_type=jpg]";
  }
  std::string claimReply(const std::string& utf8Status) const {
    return "[IR:at=30003]\r\n" + avatar() + gbk("\r\n用户QQ名字:小明\r\n恭喜您成功领取100名片赞\r\n订单状态:") +
           gbk(utf8Status) + gbk("\r\n\r\n2024年3月5日14时7分");
  }
  std::string alreadyClaimedReply(const std::string& utf8Time = "2024年3月5日14时7分") const {
    return avatar() + gbk("\r\n每日领取赠送:100\r\n领取QQ:30003\r\n领取QQ名称:小明\r\n领取状态:领取失败\r\n"
                          "领取失败原因:您今天已经领取过了\r\n") +
           gbk(utf8Time);
  }
  void expectOneMessage(const std::string& text, const std::string& option, const std::string& group = kGroup) {
    const auto sent = host_->callsTo("Api_SendMsg");
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].args, (std::vector<std::string>{kRobot, "2", group, kSender, text, option}));
    EXPECT_TRUE(host_->callsTo("Api_SendXML").empty());
    host_->clearCalls();
  }
};

TEST_F(DailyClaimTest, OnlyTheExactCommandClaims) {
  prepare(kGroup);
  for (const std::string& message : std::vector<std::string>{gbk("领取名片赞 "), gbk(" 领取名片赞"), gbk("我要领取名片赞"), "x"}) {
    claim(kGroup, message);
  }
  EXPECT_TRUE(host_->calls().empty());
  EXPECT_TRUE(yile_.orders().empty());

  writeProfile(kGroup, "软件参数", "每日领取口令", gbk("签到"));
  claim();
  EXPECT_TRUE(host_->calls().empty());
  claim(kGroup, gbk("签到"));
  EXPECT_EQ(yile_.orders().size(), 1u);
}

TEST_F(DailyClaimTest, FirstClaimOrdersOnceAndSecondIsRefusedUntilTheNextDay) {
  prepare(kGroup);
  claim();
  EXPECT_EQ(registerValue(kGroup, "2024年3月5日"), "1");
  ASSERT_EQ(yile_.orders().size(), 1u);
  EXPECT_EQ(yile_.orders()[0].field("uin"), kSender);
  EXPECT_EQ(yile_.orders()[0].field("number"), "100");
  expectOneMessage(claimReply("已下单成功"), "-1");

  testClock().hour = 18;
  claim();
  EXPECT_EQ(yile_.orders().size(), 1u);
  expectOneMessage(alreadyClaimedReply("2024年3月5日18时7分"), "-1");

  testClock() = text::LocalTime{2024, 3, 6, 14, 7, 0};
  claim();
  EXPECT_EQ(yile_.orders().size(), 2u);
  EXPECT_EQ(registerValue(kGroup, "2024年3月6日"), "1");
  EXPECT_EQ(registerValue(kGroup, "2024年3月5日"), "1");
}

TEST_F(DailyClaimTest, AFailedOrderStillUsesUpTheDay) {
  prepare(kGroup);
  yile_.answerNext("1", gbk("余额不足"));
  claim();
  expectOneMessage(claimReply("下单失败"), "-1");
  EXPECT_EQ(registerValue(kGroup, "2024年3月5日"), "1");

  // An order that is not placed at all leaves the status empty.
  testClock().day = 6;
  writeProfile(kGroup, "对接参数", "社区类型", "9");
  claim();
  const auto sent = host_->callsTo("Api_SendMsg");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_NE(sent[0].arg(4).find(gbk("订单状态:\r\n")), std::string::npos);
}

TEST_F(DailyClaimTest, SharedModeKeepsOneRegisterForEveryGroup) {
  setSharedSwitch("真");
  prepare(config::defaultFolder());
  claim("111111");
  expectOneMessage(claimReply("已下单成功"), "-1", "111111");
  claim("222222");
  expectOneMessage(alreadyClaimedReply(), "2", "222222");
  EXPECT_EQ(yile_.orders().size(), 1u);
  EXPECT_EQ(registerValue(config::defaultFolder(), "2024年3月5日"), "1");
}

TEST_F(DailyClaimTest, PerGroupModeKeepsARegisterPerGroup) {
  prepare("111111");
  prepare("222222");
  claim("111111");
  claim("222222");
  EXPECT_EQ(yile_.orders().size(), 2u);
  EXPECT_EQ(registerValue("111111", "2024年3月5日"), "1");
  EXPECT_EQ(registerValue("222222", "2024年3月5日"), "1");
}

TEST_F(DailyClaimTest, TheSwitchDecidesBetweenClaimNoticeAndSilence) {
  // Off and absent: the group is told; any other word: nothing at all.
  config::EnsureProfile(kGroup);
  claim();
  expectOneMessage(gbk("当前群未开启每日领取"), "-1");

  claim("777777");  // a group that has no profile at all
  expectOneMessage(gbk("当前群未开启每日领取"), "-1", "777777");

  writeProfile(kGroup, "软件参数", "是否开启每日领取", gbk("开"));
  claim();
  EXPECT_TRUE(host_->calls().empty());
  EXPECT_TRUE(yile_.orders().empty());
}

TEST_F(DailyClaimTest, RepliesGoOutAsCardsOrRawXml) {
  prepare(kGroup);
  config::writeWholeFile(config::CardTemplatePath(), gbk("<card>[内容]</card>"));
  writeProfile(kGroup, "软件参数", "xml", gbk("真"));
  writeProfile(kGroup, "自定义话语", "每日领取", gbk("领取[领取QQ][换行]状态[订单状态]"));
  claim();
  auto cards = host_->callsTo("Api_SendXML");
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_TRUE(host_->callsTo("Api_SendMsg").empty());
  EXPECT_EQ(cards[0].arg(0), kRobot);
  EXPECT_EQ(cards[0].arg(1), "1");
  EXPECT_EQ(cards[0].arg(2), "2");
  EXPECT_EQ(cards[0].arg(3), kGroup);
  EXPECT_EQ(cards[0].arg(4), kSender);
  EXPECT_EQ(cards[0].arg(6), "2");
  const std::string card = cards[0].arg(5);
  EXPECT_EQ(card.rfind("<card><summary color=\"#", 0), 0u) << card;
  EXPECT_NE(card.find(gbk("\">领取30003</summary><hr/><summary color=\"#")), std::string::npos) << card;
  EXPECT_NE(card.find(gbk("\">状态已下单成功</summary><hr/></card>")), std::string::npos) << card;

  // A reply that itself holds "xml" goes out unchanged, whatever the switch says.
  host_->clearCalls();
  writeProfile(kGroup, "软件参数", "xml", gbk("假"));
  writeProfile(kGroup, "自定义话语", "今日已领取", gbk("<?xml version='1.0'?><msg>[领取QQ]</msg>"));
  claim();
  cards = host_->callsTo("Api_SendXML");
  ASSERT_EQ(cards.size(), 1u);
  EXPECT_EQ(cards[0].args,
            (std::vector<std::string>{kRobot, "1", "2", kGroup, kSender, "<?xml version='1.0'?><msg>30003</msg>", "2"}));
  EXPECT_TRUE(host_->callsTo("Api_SendMsg").empty());
}

TEST_F(DailyClaimTest, TemplatePlaceholdersFollowTheirOrder) {
  // A profile without the built-in text, so 小尾巴 is missing: the tail is then a line break.
  writeProfile(kGroup, "软件参数", "是否开启每日领取", gbk("真"));
  wireYile(kGroup);
  // Letter case is ignored; a nickname holding a later placeholder has it replaced; the claim
  // reply has no [邀请赠送数量] step, so that one stays.
  portrait_->setNickname(kSender, gbk("小[换行]明"));
  writeProfile(kGroup, "自定义话语", "每日领取",
               gbk("[领取qq]|[领取qq名称]|[小尾巴]|[邀请赠送数量]|[领取QQ名称]"));
  claim();
  auto sent = host_->callsTo("Api_SendMsg");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].arg(4), gbk("30003|小\r\n明|\r\n|[邀请赠送数量]|小\r\n明"));

  host_->clearCalls();
  writeProfile(kGroup, "名片赞数量", "邀请赠送", "7");
  writeProfile(kGroup, "名片赞数量", "入群赠送", "8");
  writeProfile(kGroup, "自定义话语", "今日已领取", gbk("[邀请赠送数量]/[入群赠送数量]/[订单状态]"));
  claim();
  sent = host_->callsTo("Api_SendMsg");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].arg(4), gbk("7/8/[订单状态]"));
}

TEST_F(DailyClaimTest, ConcurrentCopiesOfOneClaimOrderOnce) {
  prepare(kGroup);
  constexpr int kThreads = 8;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back([this] { claim(); });
  for (std::thread& th : threads) th.join();

  EXPECT_EQ(yile_.orders().size(), 1u);
  const auto sent = host_->callsTo("Api_SendMsg");
  ASSERT_EQ(sent.size(), static_cast<std::size_t>(kThreads));
  int claimReplies = 0;
  for (const auto& call : sent) claimReplies += call.arg(4) == claimReply("已下单成功") ? 1 : 0;
  EXPECT_EQ(claimReplies, 1);
}

}  // namespace
}  // namespace gifting_test
