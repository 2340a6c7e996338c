// Goods lists fetched from the site stand-ins, and the read-only statistics of the ledger and the
// invitation records.
#include <fstream>
#include <map>

#include "gifting/gift_ledger.h"
#include "gifting/gift_statistics.h"
#include "gifting/goods_list.h"
#include "gifting_fixture.h"

namespace gifting_test {
namespace {

using Strings = std::vector<std::string>;

class GoodsTest : public GiftingTest {};

TEST_F(GoodsTest, AnAddressWithoutHttpAnywhereGainsThePrefix) {
  const std::pair<const char*, const char*> cases[] = {
      {"127.0.0.1:8080", "http://127.0.0.1:8080"},
      {"shop.example", "http://shop.example"},
      {"http://shop.example", "http://shop.example"},
      {"https://shop.example", "https://shop.example"},
      {"www.httpshop.cn", "www.httpshop.cn"},  // "http" in the middle counts
      {"HTTP://shop.example", "http://HTTP://shop.example"},  // letter case is significant
      {"", "http://"},
  };
  for (auto [typed, expected] : cases) EXPECT_EQ(gifting::normaliseAddress(typed), expected) << typed;
}

TEST_F(GoodsTest, YileGoodsComeInReplyOrderWithEscapedNamesDecoded) {
  yile_.setGoods({{"7", gbk("名片赞"), ""}, {"12", "Zan 100", ""}, {"30", gbk("空间访客（快）"), ""}});
  const gifting::GoodsList list = gifting::fetchYileGoods(yile_.baseUrl());
  EXPECT_FALSE(list.patternFailed);
  EXPECT_EQ(list.matches, 3);
  EXPECT_EQ(list.names, (Strings{gbk("名片赞"), "Zan 100", gbk("空间访客（快）")}));
  EXPECT_EQ(list.ids, (Strings{"7", "12", "30"}));
  const auto requests = yile_.server().requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/api/web/getGoodsList.html");
  EXPECT_EQ(requests[0].body, "");
}

TEST_F(GoodsTest, YileRepliesOfOtherShapesGiveWhatMatches) {
  struct Case {
    const char* reply;
    Strings names, ids;
  };
  const Case cases[] = {
      {"", {}, {}},
      {"<html>502 Bad Gateway</html>", {}, {}},
      {R"({"code":-1,"message":"\u9519\u8bef"})", {}, {}},
      // Letter case ignored, ids taken as written; the item without a comma after its name is skipped.
      {R"([{"GoodsId":5,"NAME":"a","x":1},{"goodsid":"7","name":"c","p":0},{"goodsid":6,"name":"b"}])",
       {"a", "c"},
       {"5", "\"7\""}},
  };
  for (const Case& c : cases) {
    yile_.setGoodsPage(c.reply);
    const gifting::GoodsList list = gifting::fetchYileGoods(yile_.baseUrl());
    EXPECT_EQ(list.names, c.names) << c.reply;
    EXPECT_EQ(list.ids, c.ids) << c.reply;
    EXPECT_EQ(list.matches, int(c.names.size()));
  }
  // Nothing listening: the failed request reads as an empty reply.
  const std::string closed = "http://127.0.0.1:1";
  EXPECT_EQ(gifting::fetchYileGoods(closed).matches, 0);
}

TEST_F(GoodsTest, JiuwuNamesIdsAndTypesArePairedByPageOrder) {
  jiuwu_.setGoods({{"12", gbk("名片赞（余额）"), "3"}, {"13", "B", "4"}, {"15", gbk("空间人气"), "1"}});
  const gifting::GoodsList list = gifting::fetchJiuwuGoods(jiuwu_.baseUrl());
  EXPECT_EQ(list.names, (Strings{gbk("名片赞（余额）"), "B", gbk("空间人气")}));  // the UTF-8 page read as GBK
  EXPECT_EQ(list.ids, (Strings{"12", "13", "15"}));
  EXPECT_EQ(list.types, (Strings{"3", "4", "1"}));
  const auto requests = jiuwu_.server().requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/index.php");

  // Each list fills on its own: a link without a picture and a picture without a link.
  jiuwu_.setGoodsPage(
      "<a href=\"?ID=1&GOODS_TYPE=9\">x</a>\n<img alt=\"only\" title=\"only\">\n"
      "<a href=\"?id=2&goods_type=8\"><img alt=\"two\" title=\"two\"></a>\n<img alt=\"\" title=\"\">\n");
  const gifting::GoodsList partial = gifting::fetchJiuwuGoods(jiuwu_.baseUrl());
  EXPECT_EQ(partial.matches, 5);
  EXPECT_EQ(partial.names, (Strings{"only", "two"}));
  EXPECT_EQ(partial.ids, (Strings{"1", "2"}));
  EXPECT_EQ(partial.types, (Strings{"9", "8"}));
}

class StatisticsTest : public GiftingTest {
 protected:
  void writeFile(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
  }
};

TEST_F(StatisticsTest, TotalsReadTheLedgerAsStoredAndZeroWithoutIt) {
  EXPECT_EQ(gifting::readGiftTotals().total, "0");
  EXPECT_EQ(gifting::readGiftTotals().today, "0");
  gifting::recordGift("100");
  gifting::recordGift("25");
  EXPECT_EQ(gifting::readGiftTotals().total, "125");
  EXPECT_EQ(gifting::readGiftTotals().today, "125");
  testClock() = text::LocalTime{2024, 3, 6, 0, 0, 0};  // midnight: a new day, the same total
  EXPECT_EQ(gifting::readGiftTotals().total, "125");
  EXPECT_EQ(gifting::readGiftTotals().today, "0");
  config::WriteValue(config::LedgerPath(), gbk("全部名片赞"), gbk("名片赞"), "12abc");
  EXPECT_EQ(gifting::readGiftTotals().total, "12abc");  // shown unchanged
}

TEST_F(StatisticsTest, LikesPerDayCoverTheLastDaysAcrossMonthEnds) {
  writeFile(config::LedgerPath(), gbk("[每日名片赞]\r\n2024年2月5日=7\r\n2024年2月29日=30\r\n2024年3月5日=100\r\n"
                                      "2024年2月4日=999\r\n2024年3月1日=x\r\n[其它]\r\n2024年3月2日=5\r\n"));
  const std::vector<gifting::DayLikes> days = gifting::likesPerDay(30);
  ASSERT_EQ(days.size(), 30u);
  EXPECT_EQ(text::dateText(days.front().day), gbk("2024年2月5日"));
  EXPECT_EQ(text::dateText(days.back().day), gbk("2024年3月5日"));
  std::map<std::string, double> byDay;
  double sum = 0;
  for (const auto& d : days) {
    byDay[text::dateText(d.day)] = d.likes;
    sum += d.likes;
  }
  EXPECT_EQ(byDay[gbk("2024年2月5日")], 7);
  EXPECT_EQ(byDay[gbk("2024年2月29日")], 30);
  EXPECT_EQ(byDay[gbk("2024年3月5日")], 100);
  EXPECT_EQ(sum, 137);  // the day before the window, a non-number and another section count nothing
  std::filesystem::remove(config::LedgerPath());
  for (const auto& d : gifting::likesPerDay(3)) EXPECT_EQ(d.likes, 0);
}

TEST_F(StatisticsTest, InviteStatisticsListEverySectionOnceInFileOrder) {
  const std::string folder = "20002";
  EXPECT_TRUE(gifting::readInviteStatistics(folder).empty());
  writeFile(config::RecordsPath(folder, gbk("入群数据.ini")),
            gbk("; records\r\n[10001]\r\n拉入人数=1\r\n退群人数=0\r\n获得名片赞=100\r\n上级QQ=无\r\n"
                "[30003]\r拉入人数 = 2\r获得名片赞=300\r拉入人数=9\r"
                "[10001]\n拉入人数=7\n"
                "  [ 10004 ]  \n拉入人数=0\n退群人数=0\n获得名片赞=100"));
  const auto members = gifting::readInviteStatistics(folder);
  ASSERT_EQ(members.size(), 3u);
  const std::vector<std::vector<std::string>> expected = {
      {"10001", "1", "0", "100"}, {"30003", "2", "", "300"}, {"10004", "0", "0", "100"}};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ((std::vector<std::string>{members[i].qq, members[i].invited, members[i].left, members[i].likes}),
              expected[i]);
  }
}

}  // namespace
}  // namespace gifting_test
