// A long scripted history of joins, invitations and daily claims over several days, in per-group
// and shared mode, with orders that succeed and fail, run against records files that a user has
// edited by hand. The join records, the invitation statistics, the claim registers and the ledger
// must come out byte for byte as the golden files in history/ (kept in UTF-8 for reading; the files
// on disk are GBK). The golden files were written by the plug-in as it wrote each key on its own;
// IR_WRITE_HISTORY_GOLDEN=1 rewrites them from the present code.
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "event_fixture.h"
#include "events/join_records.h"
#include "stubs/community_sites.h"

namespace events_test {
namespace {

text::LocalTime& historyClock() {
  static text::LocalTime now{2024, 3, 5, 9, 0, 0};
  return now;
}

class RecordsHistoryTest : public EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    historyClock() = text::LocalTime{2024, 3, 5, 9, 0, 0};
    text::setClockSource([] { return historyClock(); });
  }

  void wire(const std::string& folder) {
    config::EnsureProfile(folder);
    setKey(folder, "对接参数", "社区类型", "0");
    setKey(folder, "亿乐社区", "地址", yile_.baseUrl());
    setKey(folder, "亿乐社区", "商品id", "77");
    setKey(folder, "亿乐社区", "账号", "alice");
    setKey(folder, "亿乐社区", "密码", "secret");
    setKey(folder, "软件参数", "是否开启每日领取", gbk("真"));
    setKey(folder, "名片赞数量", "邀请赠送", "50");
    setKey(folder, "名片赞数量", "每日领取", "30");
  }
  void seed(const std::string& path, const std::string& utf8) { ASSERT_TRUE(config::writeWholeFile(path, gbk(utf8))); }

  void send(int32_t kind, const std::string& group, const std::string& active, const std::string& passive,
            const std::string& utf8Message = {}) {
    events::HostEvent e = event(kind, active, passive, gbk(utf8Message));
    e.group = group;
    events::dispatchEvent(e);
  }
  void join(const std::string& group, const std::string& qq) { send(212, group, "40000", qq); }
  void invite(const std::string& group, const std::string& inviter, const std::string& qq) {
    send(219, group, inviter, qq);
  }
  void claim(const std::string& group, const std::string& qq) { send(2, group, qq, {}, "领取名片赞"); }
  void day(int d) { historyClock().day = d; }

  stubs::YileSite yile_{"alice", "secret"};
};

TEST_F(RecordsHistoryTest, FilesComeOutAsTheKeyByKeyWriterLeftThem) {
  const std::string group = kGroup, other = "20009", shared = config::defaultFolder();
  setSharedSwitch("假");
  wire(group);
  wire(shared);
  // Records as a user may have left them: a comment, blanks around names and values, a repeated
  // section, LF-only and CR-only lines, a member without 已入群号, no final line break.
  seed(events::inviteStatsPath(group),
       "; 手工整理\r\n[30003]\r\n 拉入人数 = 2 \r\n获得名片赞=abc\n拉入QQ=#1#2\r[ 30004 ]\r\n上级QQ=无\r\n\r\n"
       "[30003]\r\n拉入人数=99\r\n[40004]\r\n获得名片赞=5");
  seed(events::joinRecordsPath(group), "[10003]\r\n已入群号=\r\n[10007]\r\n已入群号=20002\r\n上级QQ=无");
  seed(config::RecordsPath(group, gbk("每日领取.ini")), "[2024年3月1日]\r\n10001=1\r\n10002=1");
  seed(config::LedgerPath(), "[全部名片赞]\r\n名片赞=1000\r\n[每日名片赞]\r\n2024年3月1日=1000");

  // Day 1, per-group records.
  for (int i = 0; i < 12; ++i) join(group, std::to_string(11001 + i));
  join(group, "40004");
  join(group, "30003");
  join(group, "10003");
  join(group, "10007");
  for (int i = 0; i < 10; ++i) invite(group, i % 2 ? "30004" : "30003", std::to_string(12001 + i));
  invite(group, "30003", "12001");
  invite(group, "12002", "12020");
  yile_.answerNext("-1", gbk("余额不足"));
  join(group, "11100");
  for (int i = 0; i < 6; ++i) claim(group, std::to_string(11001 + i));
  claim(group, "11001");
  claim(group, "10001");
  historyClock().hour = 23;
  claim(group, "11007");

  // Day 2: newcomers without likes, claims again.
  day(6);
  historyClock().hour = 0;
  setKey(group, "软件参数", "入群是否赠送", gbk("假"));
  for (int i = 0; i < 4; ++i) join(group, std::to_string(13001 + i));
  invite(group, "13001", "13010");
  for (int i = 0; i < 8; ++i) claim(group, std::to_string(11001 + i * 2));
  yile_.answerNext("-1", gbk("余额不足"));
  claim(group, "13001");

  // Day 3: one set of records for every group.
  day(7);
  setSharedSwitch("真");
  for (int i = 0; i < 6; ++i) join(i % 2 ? other : group, std::to_string(14001 + i));
  join(other, "11001");
  for (int i = 0; i < 6; ++i) invite(i % 3 ? group : other, "14001", std::to_string(15001 + i));
  invite(other, "14002", "15001");
  invite(group, "15001", "15010");
  for (int i = 0; i < 5; ++i) claim(i % 2 ? other : group, std::to_string(14001 + i));
  claim(other, "14001");
  claim(group, "11001");

  const struct {
    const char* golden;
    std::string path;
  } files[] = {
      {"group_joins.ini", events::joinRecordsPath(group)},
      {"group_stats.ini", events::inviteStatsPath(group)},
      {"group_claims.ini", config::RecordsPath(group, gbk("每日领取.ini"))},
      {"shared_joins.ini", events::joinRecordsPath(shared)},
      {"shared_stats.ini", events::inviteStatsPath(shared)},
      {"shared_claims.ini", config::RecordsPath(shared, gbk("每日领取.ini"))},
      {"ledger.ini", config::LedgerPath()},
  };
  const bool rewrite = std::getenv("IR_WRITE_HISTORY_GOLDEN") != nullptr;
  for (const auto& f : files) {
    SCOPED_TRACE(f.golden);
    const std::string goldenPath = std::string(HISTORY_GOLDEN_DIR) + "/" + f.golden;
    const std::string written = text::gbkToUtf8(config::readWholeFile(f.path));
    if (rewrite) {
      std::ofstream(goldenPath, std::ios::binary) << written;
      continue;
    }
    std::ifstream in(goldenPath, std::ios::binary);
    ASSERT_TRUE(in) << goldenPath;
    std::ostringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(written, golden.str());
  }
}

}  // namespace
}  // namespace events_test
