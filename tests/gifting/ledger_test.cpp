// The gift ledger when its file cannot be written: the order stays a success, the host's log gets
// one line naming the file, and the ledger is not left half-updated.
#include <cerrno>

#include "gifting/gift_ledger.h"
#include "gifting/order_service.h"
#include "gifting_fixture.h"

namespace gifting_test {
namespace {

class LedgerFaultTest : public GiftingTest {
 protected:
  void TearDown() override {
    config::setWriteFault({});
    GiftingTest::TearDown();
  }
  // Refuses the ledger file's `failAt`-th replacement (1 = the total, 2 = the day's key) and
  // every later one, as a disk that just filled up would.
  void failLedgerWrites(int failAt) {
    config::setWriteFault([this, failAt](config::WriteStep step, const std::string& path) {
      if (path != config::LedgerPath() || step != config::WriteStep::Write) return 0;
      return ++ledgerWrites_ >= failAt ? ENOSPC : 0;
    });
  }
  std::vector<std::string> hostLog() const {
    std::vector<std::string> lines;
    for (const auto& call : host_->callsTo("Api_OutPutLog")) lines.push_back(call.arg(0));
    return lines;
  }
  int ledgerWrites_ = 0;
};

TEST_F(LedgerFaultTest, FailedWriteIsLoggedAndTheOrderStaysASuccess) {
  wireYile("20002");
  EXPECT_EQ(gifting::placeOrder("10001", "100", "20002"), gbk("已下单成功"));
  const std::string before = config::readWholeFile(config::LedgerPath());
  host_->clearCalls();

  struct Case {
    const char* name;
    int failAt;
    std::string ledgerAfter;
  } cases[] = {
      // The total cannot be written: the day's key is not raised alone.
      {"total refused", 1, before},
      // The total went in, the day's key did not: the file holds the one complete write.
      {"day refused", 2,
       gbk("[全部名片赞]\r\n名片赞=150\r\n[每日名片赞]\r\n2024年3月5日=100\r\n")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(config::writeWholeFile(config::LedgerPath(), before));
    host_->clearCalls();
    ledgerWrites_ = 0;
    failLedgerWrites(c.failAt);
    EXPECT_EQ(gifting::placeOrder("10001", "50", "20002"), gbk("已下单成功"));
    EXPECT_FALSE(gifting::recordGift("7"));
    config::setWriteFault({});

    EXPECT_EQ(config::readWholeFile(config::LedgerPath()), c.ledgerAfter);
    const std::string file = text::utf8ToGbk(config::LedgerPath());
    const std::vector<std::string> expected = {
        gbk("朔禾引流插件：无法写入文件 ") + file + gbk("，本次赠送的 50 个名片赞未计入统计。"),
        gbk("朔禾引流插件：无法写入文件 ") + file + gbk("，本次赠送的 7 个名片赞未计入统计。"),
    };
    EXPECT_EQ(hostLog(), expected);
    // The success is in the run log as any other.
    EXPECT_NE(gifting::viewText(1).find(gbk("订单状态：成功")), std::string::npos);
  }

  // Once the disk takes writes again, counting goes on from what the file holds.
  host_->clearCalls();
  EXPECT_TRUE(gifting::recordGift("5"));
  EXPECT_EQ(ledger("全部名片赞", gbk("名片赞")), "155");
  EXPECT_TRUE(hostLog().empty());
}

}  // namespace
}  // namespace gifting_test
