// The gift ledger when its file cannot be written: the order stays a success, the host's log gets
// one line naming the file, and the ledger is not left half-updated: the total and the day's key
// are one replace of the file, whichever step of it fails.
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
  // Refuses that step of every replace of the ledger file, as a full or failing disk would.
  void failLedgerWrites(config::WriteStep failing) {
    config::setWriteFault([failing](config::WriteStep step, const std::string& path) {
      return path == config::LedgerPath() && step == failing ? ENOSPC : 0;
    });
  }
  std::vector<std::string> hostLog() const {
    std::vector<std::string> lines;
    for (const auto& call : host_->callsTo("Api_OutPutLog")) lines.push_back(call.arg(0));
    return lines;
  }
};

TEST_F(LedgerFaultTest, FailedWriteIsLoggedAndTheOrderStaysASuccess) {
  wireYile("20002");
  EXPECT_EQ(gifting::placeOrder("10001", "100", "20002"), gbk("已下单成功"));
  const std::string before = config::readWholeFile(config::LedgerPath());
  host_->clearCalls();

  struct Case {
    const char* name;
    config::WriteStep step;
  } cases[] = {
      {"temporary file refused", config::WriteStep::CreateTemp},
      {"bytes refused", config::WriteStep::Write},
      {"sync failed", config::WriteStep::Sync},
      {"rename refused", config::WriteStep::Rename},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    host_->clearCalls();
    failLedgerWrites(c.step);
    EXPECT_EQ(gifting::placeOrder("10001", "50", "20002"), gbk("已下单成功"));
    EXPECT_FALSE(gifting::recordGift("7"));
    config::setWriteFault({});

    EXPECT_EQ(config::readWholeFile(config::LedgerPath()), before);
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
  EXPECT_EQ(ledger("全部名片赞", gbk("名片赞")), "105");
  EXPECT_TRUE(hostLog().empty());
}

}  // namespace
}  // namespace gifting_test
