// Joins and invitations delivered through IR_Event: records, orders, ledger and replies.
#include <algorithm>
#include <thread>

#include "export_fixture.h"
#include "text/search.h"

namespace events_test {
namespace {

// Without the time, so that replies can be compared whole.
const char* kWelcome = "[@入群QQ号][换行][入群QQ]([入群QQ名称])感谢您加入本群[换行]特别奖励您[入群赠送数量][换行]订单状态:[订单状态]";
const char* kInvitation =
    "感谢[@邀请QQ号]邀请[@入群QQ号]加入本群[换行]入群订单状态:[入群订单状态][换行]邀请订单状态:[邀请订单状态][换行]"
    "[邀请QQ名称]已邀请[邀请统计]人";

std::string ledgerOf(int total) {
  const std::string n = std::to_string(total);
  return "[全部名片赞]\r\n名片赞=" + n + "\r\n[每日名片赞]\r\n" + text::gbkToUtf8(text::todayText()) + "=" + n + "\r\n";
}

class JoinExportTest : public ExportTest {
 protected:
  void SetUp() override {
    ExportTest::SetUp();
    portrait_.setNickname("10001", gbk("小明"));
    portrait_.setNickname("10004", gbk("小红"));
    portrait_.setNickname("30003", gbk("阿强"));
  }
  void useTemplates(const std::string& folder) {
    setKey(folder, "自定义话语", "入群消息", gbk(kWelcome));
    setKey(folder, "自定义话语", "邀请消息", gbk(kInvitation));
  }
};

TEST_F(JoinExportTest, FirstSelfJoinIsRecordedRewardedAndAnswered) {
  setSharedSwitch("假");
  makeProfile("20002");
  useTemplates("20002");
  deliver(212, "20002", "40004", "10001");

  EXPECT_EQ(actions(), std::vector<std::string>{"SendMsg(10000|212|20002|40004|[IR:at=10001]\r\n10001(小明)感谢您加入本群\r\n"
                                                "特别奖励您100\r\n订单状态:已下单成功|0)"});
  EXPECT_EQ(orderBodies(), std::vector<std::string>{orderBody("10001", "100")});
  EXPECT_EQ(records("20002", "入群账号.ini"), "[10001]\r\n已入群号=20002\r\n上级QQ=无\r\n");
  EXPECT_EQ(records("20002", "入群数据.ini"), "[10001]\r\n拉入人数=1\r\n退群人数=0\r\n获得名片赞=100\r\n上级QQ=无\r\n");
  EXPECT_EQ(ledger(), ledgerOf(100));
}

TEST_F(JoinExportTest, AReturningMemberGetsTheReturningReplyOnly) {
  setSharedSwitch("假");
  makeProfile("20002");
  deliver(212, "20002", "40004", "10001");
  const std::string joins = records("20002", "入群账号.ini"), stats = records("20002", "入群数据.ini");
  support::host().clearCalls();

  deliver(212, "20002", "40004", "10001");
  deliver(219, "20002", "30003", "10001");
  EXPECT_EQ(actions(), (std::vector<std::string>{"SendMsg(10000|212|20002|40004|[IR:at=10001]|0)",
                                                 "SendMsg(10000|219|20002|30003|[IR:at=10001]|0)"}));
  EXPECT_EQ(orderBodies().size(), 1u);
  EXPECT_EQ(records("20002", "入群账号.ini"), joins);
  EXPECT_EQ(records("20002", "入群数据.ini"), stats);
  EXPECT_EQ(ledger(), ledgerOf(100));
}

TEST_F(JoinExportTest, InvitationsRewardBothAndCountTheInviter) {
  setSharedSwitch("真");
  makeProfile("默认配置");
  useTemplates("默认配置");
  setKey("默认配置", "名片赞数量", "邀请赠送", "50");
  deliver(219, "20002", "30003", "10001");
  deliver(219, "20009", "30003", "10004");

  EXPECT_EQ(actions(),
            (std::vector<std::string>{
                "SendMsg(10000|219|20002|30003|感谢[IR:at=30003]邀请[IR:at=10001]加入本群\r\n入群订单状态:已下单成功\r\n"
                "邀请订单状态:已下单成功\r\n阿强已邀请1人|0)",
                "SendMsg(10000|219|20009|30003|感谢[IR:at=30003]邀请[IR:at=10004]加入本群\r\n入群订单状态:已下单成功\r\n"
                "邀请订单状态:已下单成功\r\n阿强已邀请2人|0)"}));
  // The newcomer's order always goes first.
  EXPECT_EQ(orderBodies(), (std::vector<std::string>{orderBody("10001", "100"), orderBody("30003", "50"),
                                                     orderBody("10004", "100"), orderBody("30003", "50")}));
  EXPECT_EQ(records("默认配置", "入群账号.ini"),
            "[10001]\r\n已入群号=20002\r\n上级QQ=30003\r\n[10004]\r\n已入群号=20009\r\n上级QQ=30003\r\n");
  EXPECT_EQ(records("默认配置", "入群数据.ini"),
            "[10001]\r\n拉入人数=0\r\n退群人数=0\r\n获得名片赞=100\r\n上级QQ=30003\r\n"
            "[30003]\r\n拉入人数=2\r\n获得名片赞=100\r\n拉入QQ=#10001#10004\r\n"
            "[10004]\r\n拉入人数=0\r\n退群人数=0\r\n获得名片赞=100\r\n上级QQ=30003\r\n");
  EXPECT_EQ(ledger(), ledgerOf(300));
}

TEST_F(JoinExportTest, SwitchedOffGiftsPlaceNoOrderButAreStillCredited) {
  setSharedSwitch("假");
  makeProfile("20002");
  useTemplates("20002");
  setKey("20002", "软件参数", "入群是否赠送", gbk("假"));
  setKey("20002", "软件参数", "邀请是否赠送", gbk("假"));
  deliver(212, "20002", "40004", "10001");
  deliver(219, "20002", "30003", "10004");

  EXPECT_EQ(actions(),
            (std::vector<std::string>{
                "SendMsg(10000|212|20002|40004|[IR:at=10001]\r\n10001(小明)感谢您加入本群\r\n特别奖励您100\r\n"
                "订单状态:[订单状态]|0)",
                "SendMsg(10000|219|20002|30003|感谢[IR:at=30003]邀请[IR:at=10004]加入本群\r\n入群订单状态:[入群订单状态]\r\n"
                "邀请订单状态:[邀请订单状态]\r\n阿强已邀请1人|0)"}));
  EXPECT_TRUE(orderBodies().empty());
  EXPECT_EQ(records("20002", "入群数据.ini"),
            "[10001]\r\n拉入人数=1\r\n退群人数=0\r\n获得名片赞=100\r\n上级QQ=无\r\n"
            "[10004]\r\n拉入人数=0\r\n退群人数=0\r\n获得名片赞=100\r\n上级QQ=30003\r\n"
            "[30003]\r\n拉入人数=1\r\n获得名片赞=100\r\n拉入QQ=#10004\r\n");
  EXPECT_FALSE(std::filesystem::exists(config::LedgerPath()));
}

TEST_F(JoinExportTest, SharedRecordsMakeAMemberReturningInEveryGroup) {
  setSharedSwitch("真");
  makeProfile("默认配置");
  deliver(212, "20002", "40004", "10001");
  support::host().clearCalls();
  deliver(212, "20009", "40004", "10001");
  EXPECT_EQ(actions(), std::vector<std::string>{"SendMsg(10000|212|20009|40004|[IR:at=10001]|0)"});
  EXPECT_EQ(orderBodies().size(), 1u);
}

// Each group keeps its own records; within one, a member is rewarded once however he comes back.
TEST_F(JoinExportTest, PerGroupRecordsRewardOncePerGroupAndCreditTheInviter) {
  setSharedSwitch("假");
  makeProfile("20002");
  makeProfile("20009");
  deliver(219, "20002", "30003", "10001");
  deliver(219, "20009", "30003", "10001");
  support::host().clearCalls();
  deliver(219, "20002", "30003", "10001");

  EXPECT_EQ(actions(), std::vector<std::string>{"SendMsg(10000|219|20002|30003|[IR:at=10001]|0)"});
  EXPECT_EQ(orderBodies(), (std::vector<std::string>{orderBody("10001", "100"), orderBody("30003", "100"),
                                                     orderBody("10001", "100"), orderBody("30003", "100")}));
  EXPECT_EQ(records("20002", "入群数据.ini"),
            "[10001]\r\n拉入人数=0\r\n退群人数=0\r\n获得名片赞=100\r\n上级QQ=30003\r\n"
            "[30003]\r\n拉入人数=1\r\n获得名片赞=100\r\n拉入QQ=#10001\r\n");
  EXPECT_EQ(records("20009", "入群数据.ini"), records("20002", "入群数据.ini"));
}

TEST_F(JoinExportTest, AGroupWithoutAFolderKeepsNoRecords) {
  // The group was never chosen in the settings window: nothing can be recorded, so every arrival
  // counts as a first one, and the order goes to a site without an address.
  setSharedSwitch("假");
  deliver(212, "20002", "40004", "10001");
  deliver(212, "20002", "40004", "10001");
  EXPECT_EQ(actions(), (std::vector<std::string>{"SendMsg(10000|212|20002|40004||0)", "SendMsg(10000|212|20002|40004||0)"}));
  EXPECT_FALSE(std::filesystem::exists(config::FolderPath("20002")));
}

TEST_F(JoinExportTest, TheWelcomeMessageGoesFirstForReturningMembersToo) {
  setSharedSwitch("假");
  makeProfile("20002");
  setKey("20002", "进群私聊", "是否开启", gbk("真"));
  setKey("20002", "进群私聊", "进群私聊", gbk("欢迎[QQ]"));
  deliver(212, "20002", "40004", "10001");
  deliver(212, "20002", "40004", "10001");
  const std::vector<std::string> all = actions();
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all[0], "SendMsg(10000|1|0|10001|欢迎10001|-1)");
  EXPECT_EQ(all[1].rfind("SendMsg(10000|212|20002|40004|[IR:at=10001]\r\n", 0), 0u) << all[1];
  EXPECT_EQ(all[2], "SendMsg(10000|1|0|10001|欢迎10001|-1)");
  EXPECT_EQ(all[3], "SendMsg(10000|212|20002|40004|[IR:at=10001]|0)");
}

TEST_F(JoinExportTest, XmlRepliesGoOutAsCards) {
  setSharedSwitch("假");
  makeProfile("20002");
  setKey("20002", "软件参数", "xml", gbk("真"));
  config::writeWholeFile(config::CardTemplatePath(), gbk("<c>[内容]</c>"));
  setKey("20002", "自定义话语", "入群消息", gbk("欢迎[换行]第二行"));
  setKey("20002", "自定义话语", "重复入群", gbk("<xml>[入群QQ]</xml>"));
  deliver(212, "20002", "40004", "10001");
  deliver(212, "20002", "40004", "10001");
  const std::vector<support::HostCall> calls = support::host().callsTo("Api_SendXML");
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(std::vector<std::string>(calls[0].args.begin(), calls[0].args.begin() + 5),
            (std::vector<std::string>{"10000", "1", "2", "20002", "40004"}));
  EXPECT_EQ(calls[0].args[5].rfind("<c><summary color=", 0), 0u);
  EXPECT_NE(calls[0].args[5].find(gbk(">第二行</summary><hr/></c>")), std::string::npos);
  EXPECT_EQ(render(calls[1]), "SendXML(10000|1|2|20002|40004|<xml>10001</xml>|2)");
}

// Arrivals delivered at once on several threads: no count is lost and nobody is rewarded twice.
TEST_F(JoinExportTest, ConcurrentInvitationsOfDistinctNewcomersLoseNoCount) {
  setSharedSwitch("假");
  makeProfile("20002");
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i)
    threads.emplace_back([this, i] { deliver(219, "20002", "30003", std::to_string(10001 + i)); });
  for (auto& t : threads) t.join();

  EXPECT_EQ(orderBodies().size(), 16u);
  EXPECT_EQ(ledger(), ledgerOf(1600));
  const std::string stats = config::RecordsPath("20002", gbk("入群数据.ini"));
  const std::string joins = config::RecordsPath("20002", gbk("入群账号.ini"));
  EXPECT_EQ(config::ReadValue(stats, "30003", gbk("拉入人数")), "8");
  EXPECT_EQ(config::ReadValue(stats, "30003", gbk("获得名片赞")), "800");
  std::vector<std::string> invited = text::splitWordList(config::ReadValue(stats, "30003", gbk("拉入QQ")));
  std::sort(invited.begin(), invited.end());
  std::vector<std::string> expected{""};
  for (int i = 0; i < 8; ++i) {
    const std::string qq = std::to_string(10001 + i);
    expected.push_back(qq);
    EXPECT_EQ(config::ReadValue(joins, qq, gbk("已入群号")), "20002") << qq;
    EXPECT_EQ(config::ReadValue(stats, qq, gbk("上级QQ")), "30003") << qq;
  }
  EXPECT_EQ(invited, expected);
}

TEST_F(JoinExportTest, ConcurrentArrivalsOfOneNewcomerRewardHimOnce) {
  setSharedSwitch("假");
  makeProfile("20002");
  useTemplates("20002");
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) threads.emplace_back([this] { deliver(212, "20002", "40004", "10001"); });
  for (auto& t : threads) t.join();

  EXPECT_EQ(orderBodies(), std::vector<std::string>{orderBody("10001", "100")});
  EXPECT_EQ(ledger(), ledgerOf(100));
  EXPECT_EQ(records("20002", "入群数据.ini"), "[10001]\r\n拉入人数=1\r\n退群人数=0\r\n获得名片赞=100\r\n上级QQ=无\r\n");
  int returning = 0, welcomed = 0;
  for (const std::string& a : actions()) {
    if (a == "SendMsg(10000|212|20002|40004|[IR:at=10001]|0)") ++returning;
    else if (a.find("订单状态:已下单成功") != std::string::npos) ++welcomed;
  }
  EXPECT_EQ(welcomed, 1);
  EXPECT_EQ(returning, 7);
}

}  // namespace
}  // namespace events_test
