// Orders through OrderService against the community site stand-ins: the request each site
// receives, the status texts, the ledger and the run-log lines.
#include <thread>
#include <vector>

#include "gifting/jiuwu_order.h"
#include "gifting/order_service.h"
#include "gifting/yile_order.h"
#include "gifting_fixture.h"

namespace gifting_test {
namespace {

using gifting::placeOrder;
using gifting::viewText;

const std::string kGroup = "20002";
const std::string kQQ = "10001";

class OrderTest : public GiftingTest {
 protected:
  // The line both views show for one order placed at the test clock's 14:07:00.
  std::string expectedLine(const std::string& utf8Tag, const std::string& address, const std::string& account,
                           const std::string& profileGroup, const std::string& amount,
                           const std::string& utf8Label, const std::string& detail) {
    const std::string time = gbk("2024年3月5日14时7分");
    return time + "  " + gbk(utf8Tag) + time + gbk("  下单地址:") + address + gbk("  下单账号:") + account +
           gbk("  来源群号:") + profileGroup + address + gbk("  下单QQ:") + kQQ + gbk("下单数量") + amount +
           gbk(utf8Label) + detail + "\r\n";
  }
};

TEST_F(OrderTest, YileOrderPostsTheFormAndLogsTheDecodedSiteMessage) {
  wireYile(kGroup);
  EXPECT_EQ(placeOrder(kQQ, "100", kGroup), gbk("已下单成功"));

  const auto requests = yile_.server().requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].target, "/api/web/order.html");
  EXPECT_EQ(requests[0].body, "api_user=alice&api_pwd=secret&goodsid=77&number=100&uin=10001");
  EXPECT_NE(requests[0].header("Content-Type").find("application/x-www-form-urlencoded"), std::string::npos);

  const std::string line = expectedLine("[亿乐对接]  ", yile_.baseUrl(), "alice", kGroup, "100",
                                        " 订单状态：成功  返回值:", gbk("下单成功"));
  EXPECT_EQ(viewText(0), line);
  EXPECT_EQ(viewText(1), line);
  EXPECT_EQ(viewText(2), "");
}

TEST_F(OrderTest, FormValuesReachTheSiteAsStored) {
  // "&", "=", "+", "%" and GBK characters would otherwise split or alter the form fields.
  const std::string account = gbk("中&a=b");
  const std::string password = "p+w%&x=1";
  wireYile(kGroup, account, password);
  stubs::YileSite site(account, password);
  writeProfile(kGroup, "亿乐社区", "地址", site.baseUrl());
  EXPECT_EQ(placeOrder(kQQ, "1&2", kGroup), gbk("已下单成功"));
  ASSERT_EQ(site.orders().size(), 1u);
  EXPECT_EQ(site.orders()[0].body,
            "api_user=%D6%D0%26a%3Db&api_pwd=p%2Bw%25%26x%3D1&goodsid=77&number=1%262&uin=10001");
  EXPECT_EQ(site.orders()[0].field("api_pwd"), password);
  EXPECT_EQ(site.orders()[0].field("number"), "1&2");

  wireJiuwu(kGroup, "1", account, "p&w=1");
  stubs::JiuwuSite jiuwu(account, "p&w=1");
  writeProfile(kGroup, "玖伍社区", "地址", jiuwu.baseUrl());
  EXPECT_EQ(placeOrder(kQQ, "100", kGroup), gbk("已下单成功"));
  ASSERT_EQ(jiuwu.orders().size(), 1u);
  EXPECT_EQ(jiuwu.orders()[0].body,
            "Api_UserName=%D6%D0%26a%3Db&Api_UserMd5Pass=41ce695885354ffdd4eed63b4ea2f410&goods_id=12"
            "&goods_type=3&qq=10001&&need_num_0=100&pay_type=1");
}

TEST_F(OrderTest, YileSuccessIsCodeZeroOnly) {
  struct Case {
    std::string reply;
    bool success;
  } cases[] = {
      {"{\"code\":0,\"message\":\"\\u4e0b\\u5355\\u6210\\u529f\"}", true},
      {"{\"code\": 0,\"message\":\"ok\"}", true},
      {"{\"code\":\"0\",\"message\":\"ok\"}", true},
      {"{\"code\":10,\"message\":\"x\"}", false},
      {"{\"code\":1001,\"message\":\"x\"}", false},
      {"{\"code\":-1,\"message\":\"x\"}", false},
      {"{\"code\":1,\"message\":\"x\"}", false},
      {"{\"code\":0, \"message\":\"x\"}", false},  // no ,"message right after the code: no code at all
      {"{\"message\":\"x\"}", false},
      {"", false},
  };
  wireYile(kGroup);
  for (const Case& c : cases) {
    yile_.answerNextRaw(c.reply);
    EXPECT_EQ(gifting::placeYileOrder(kQQ, "100", kGroup).success, c.success) << c.reply;
  }
}

TEST_F(OrderTest, YileFailureKeepsTheLedgerAndLogsTheFailureLabel) {
  wireYile(kGroup, "alice", "wrong");
  EXPECT_EQ(placeOrder(kQQ, "100", kGroup), gbk("下单失败"));
  const std::string line = expectedLine("[亿乐对接]  ", yile_.baseUrl(), "alice", kGroup, "100",
                                        " 订单状态：失败  返回值:", gbk("账号或密码错误"));
  EXPECT_EQ(viewText(0), line);
  EXPECT_EQ(viewText(1), "");
  EXPECT_EQ(viewText(2), line);
  EXPECT_FALSE(config::fileExists(config::LedgerPath()));
}

TEST_F(OrderTest, JiuwuOrderSendsTheDigestAndThePaymentOfItsKind) {
  wireJiuwu(kGroup, "1");
  EXPECT_EQ(placeOrder(kQQ, "100", kGroup), gbk("已下单成功"));
  wireJiuwu(kGroup, "2");
  EXPECT_EQ(placeOrder(kQQ, "50", kGroup), gbk("已下单成功"));

  const auto requests = jiuwu_.server().requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].target, "/index.php?m=home&c=order&a=add");
  const std::string head =
      "Api_UserName=bob&Api_UserMd5Pass=a40f2ce2dab5a02272023cdd0aa66d2b&goods_id=12&goods_type=3&qq=10001";
  EXPECT_EQ(requests[0].body, head + "&&need_num_0=100&pay_type=1");
  EXPECT_EQ(requests[1].body, head + "&&need_num_0=50&pay_type=0");
  EXPECT_EQ(requests[0].body.find("pa55"), std::string::npos);

  const std::string first = expectedLine("[玖伍对接]  ", jiuwu_.baseUrl(), "bob", kGroup, "100",
                                         " 订单状态：成功  订单号:", "12345");
  const std::string second = expectedLine("[玖伍对接]  ", jiuwu_.baseUrl(), "bob", kGroup, "50",
                                          " 订单状态：成功  订单号:", "12346");
  EXPECT_EQ(viewText(0), second + first);
  EXPECT_EQ(viewText(1), second + first);
}

TEST_F(OrderTest, JiuwuSuccessNeedsTheEscapedMarkerExactly) {
  const std::string marker = "\\u4e0b\\u5355\\u6210\\u529f\\uff01";
  struct Case {
    std::string reply;
    bool success;
    std::string orderNumber;
  } cases[] = {
      {"{\"status\":1,\"msg\":\"" + marker + "\",\"id\":\"12345\",\"af\":\"0\"}", true, "12345"},
      {"{\"msg\":\"" + marker + "\",\"id\":\"12345\"}", true, ""},
      {"{\"msg\":\"" + text::gbkToUtf8(gbk("下单成功！")) + "\",\"id\":\"1\",\"af\":\"0\"}", false, "1"},
      {"{\"msg\":\"" + gbk("下单成功！") + "\"}", false, ""},
      {"{\"msg\":\"\\u4E0B\\u5355\\u6210\\u529F\\uFF01\"}", false, ""},
      {"{\"status\":0,\"msg\":\"x\",\"id\":\"999\",\"af\":\"1\"}", false, "999"},
  };
  wireJiuwu(kGroup, "1");
  for (const Case& c : cases) {
    jiuwu_.answerNextRaw(c.reply);
    const gifting::OrderOutcome outcome = gifting::placeJiuwuOrder(kQQ, "100", kGroup, 0);
    EXPECT_EQ(outcome.success, c.success) << c.reply;
    EXPECT_EQ(outcome.status, gbk(c.success ? "已下单成功" : "下单失败")) << c.reply;
    EXPECT_EQ(outcome.detail, c.orderNumber) << c.reply;
  }
}

TEST_F(OrderTest, PasswordDigestIsLowerCaseMd5OfTheGbkBytes) {
  EXPECT_EQ(gifting::passwordDigest(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(gifting::passwordDigest("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(gifting::passwordDigest(gbk("密码")), "d2293e30f0c964c5f6242486aa8a483c");
}

TEST_F(OrderTest, KindsWithoutARoutinePlaceNothing) {
  for (const std::string kind : {"3", "abc", "", "00"}) {
    wireYile(kGroup);
    writeProfile(kGroup, "对接参数", "社区类型", kind);
    EXPECT_EQ(placeOrder(kQQ, "100", kGroup), "") << kind;
  }
  EXPECT_TRUE(yile_.server().requests().empty());
  EXPECT_TRUE(jiuwu_.server().requests().empty());
  EXPECT_EQ(viewText(0), "");
  EXPECT_FALSE(config::fileExists(config::LedgerPath()));
}

TEST_F(OrderTest, AMissingKindOrdersFromYile) {
  writeProfile(kGroup, "亿乐社区", "地址", yile_.baseUrl());
  writeProfile(kGroup, "亿乐社区", "账号", "alice");
  writeProfile(kGroup, "亿乐社区", "密码", "secret");
  EXPECT_EQ(placeOrder(kQQ, "100", kGroup), gbk("已下单成功"));
  EXPECT_EQ(yile_.orders().size(), 1u);
}

TEST_F(OrderTest, AGroupWithoutProfileFailsThroughYile) {
  EXPECT_EQ(placeOrder(kQQ, "100", "55555"), gbk("下单失败"));
  EXPECT_NE(viewText(2).find(gbk("[亿乐对接]")), std::string::npos);
}

TEST_F(OrderTest, TheCoreSwitchChoosesTheProfile) {
  wireJiuwu(config::defaultFolder(), "1");
  wireYile(kGroup);

  setSharedSwitch("真");
  EXPECT_EQ(placeOrder(kQQ, "100", kGroup), gbk("已下单成功"));
  EXPECT_EQ(jiuwu_.orders().size(), 1u);
  EXPECT_EQ(viewText(1), expectedLine("[玖伍对接]  ", jiuwu_.baseUrl(), "bob", gbk("默认配置"), "100",
                                      " 订单状态：成功  订单号:", "12345"));

  setSharedSwitch("假");
  EXPECT_EQ(placeOrder(kQQ, "100", kGroup), gbk("已下单成功"));
  EXPECT_EQ(yile_.orders().size(), 1u);

  setSharedSwitch("是");
  EXPECT_EQ(placeOrder(kQQ, "100", kGroup), "");
  EXPECT_EQ(jiuwu_.orders().size() + yile_.orders().size(), 2u);
}

TEST_F(OrderTest, LedgerCountsSuccessesPerDayAndInTotal) {
  wireYile(kGroup);
  EXPECT_EQ(placeOrder(kQQ, "100", kGroup), gbk("已下单成功"));
  EXPECT_EQ(placeOrder(kQQ, "50", kGroup), gbk("已下单成功"));
  EXPECT_EQ(placeOrder(kQQ, "abc", kGroup), gbk("已下单成功"));  // sent unchanged, counts 0
  EXPECT_EQ(yile_.orders().back().field("number"), "abc");
  yile_.answerNext("1", gbk("余额不足"));
  EXPECT_EQ(placeOrder(kQQ, "1000", kGroup), gbk("下单失败"));
  testClock() = text::LocalTime{2024, 3, 6, 0, 0, 0};
  EXPECT_EQ(placeOrder(kQQ, "30", kGroup), gbk("已下单成功"));

  EXPECT_EQ(config::readWholeFile(config::LedgerPath()),
            gbk("[全部名片赞]\r\n名片赞=180\r\n[每日名片赞]\r\n2024年3月5日=150\r\n2024年3月6日=30\r\n"));
}

TEST_F(OrderTest, ConcurrentSuccessesLoseNoIncrement) {
  wireYile(kGroup);
  constexpr int kThreads = 8, kOrdersEach = 3;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t] {
      for (int k = 0; k < kOrdersEach; ++k) placeOrder(std::to_string(10000 + t), std::to_string(t + 1), kGroup);
    });
  }
  for (std::thread& th : threads) th.join();

  EXPECT_EQ(ledger("全部名片赞", gbk("名片赞")), std::to_string(kOrdersEach * kThreads * (kThreads + 1) / 2));
  EXPECT_EQ(ledger("每日名片赞", gbk("2024年3月5日")), std::to_string(kOrdersEach * kThreads * (kThreads + 1) / 2));
  const std::string all = viewText(0);
  std::size_t lines = 0;
  for (std::size_t p = all.find("\r\n"); p != std::string::npos; p = all.find("\r\n", p + 2)) ++lines;
  EXPECT_EQ(lines, static_cast<std::size_t>(kThreads * kOrdersEach));
}

}  // namespace
}  // namespace gifting_test
