// Hostile texts and call orders at the edge of the library: QQ and group texts that are not plain
// numbers are refused before any feature sees them, and no call, in any order, touches a file
// outside the plug-in's own folder.
#include <unistd.h>

#include <set>

#include "export_fixture.h"

namespace events_test {
namespace {

namespace fs = std::filesystem;

// Every file below `dir`, with its size, so that a test can see that nothing was written.
std::set<std::string> filesBelow(const fs::path& dir) {
  std::set<std::string> out;
  std::error_code ec;
  for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator();
       it.increment(ec))
    if (it->is_regular_file()) out.insert(it->path().string() + ":" + std::to_string(it->file_size()));
  return out;
}

class EdgeExportTest : public ExportTest {};

TEST_F(EdgeExportTest, TextsThatAreNotPlainNumbersAreRefusedBeforeAnyFeature) {
  setSharedSwitch("假");
  makeProfile("20002");
  setKey("20002", "软件参数", "是否开启每日领取", gbk("真"));
  setKey("20002", "关键词回复", "词库", gbk("领取---好的"));
  setKey("20002", "群管系统", "禁言关键词", gbk("名片赞"));

  struct Case {
    const char* what;
    int32_t kind;
    std::string group, active, passive;
  };
  const std::string megabyte(1 << 20, '7');
  const Case cases[] = {
      {"sender with =", 2, "20002", "1=2", ""},
      {"sender opening a comment", 2, "20002", ";10001", ""},
      {"sender with a blank", 2, "20002", "10 001", ""},
      {"signed sender", 2, "20002", "+10001", ""},
      {"sender of 21 digits", 2, "20002", std::string(21, '1'), ""},
      {"empty sender", 2, "20002", "", ""},
      {"group leading out of the folder", 2, "../x", "10001", ""},
      {"empty group", 2, "", "10001", ""},
      {"newcomer of a megabyte", 212, "20002", "", megabyte},
      {"newcomer with a section bracket", 219, "20002", "10001", "[10003]"},
      {"inviter with =", 219, "20002", "1=2", "10003"},
      {"applicant with letters", 213, "20002", "abc", ""},
  };
  const auto before = filesBelow(plugin_->runDir());
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    support::host().clearCalls();
    deliver(c.kind, c.group, c.active, c.passive, gbk("领取名片赞"));
    const auto calls = support::host().calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].function, "Api_OutPutLog");
    EXPECT_EQ(text::gbkToUtf8(calls[0].arg(0)).rfind("朔禾引流插件：事件的QQ号或群号不是数字，未处理：", 0), 0u);
    EXPECT_LT(calls[0].arg(0).size(), 200u);
  }
  EXPECT_EQ(filesBelow(plugin_->runDir()), before);
  EXPECT_TRUE(orderBodies().empty());

  // The same features act on plain numbers, and a join without an operator is still a join.
  support::host().clearCalls();
  deliver(2, "20002", "10001", "", gbk("领取名片赞"));
  deliver(212, "20002", "", "10003");
  EXPECT_EQ(orderBodies(), (std::vector<std::string>{orderBody("10001", "100"), orderBody("10003", "100")}));
}

TEST_F(EdgeExportTest, ANicknameQueryForANonNumberAsksNoService) {
  const char* shown = plugin_->nickname("1&uins=2");
  ASSERT_NE(shown, nullptr);
  EXPECT_EQ(std::string(shown), "");
  EXPECT_TRUE(qq_.requests().empty());
  EXPECT_EQ(support::host().callsTo("Api_OutPutLog").size(), 1u);
}

// A host may deliver events before it creates the plug-in. The folder is known from where the
// library was loaded, so nothing lands in the working folder or at the root of the file system.
TEST(EdgeBeforeCreateTest, EventsBeforeCreateStayInThePluginFolder) {
  support::host().clear();
  auto plugin = support::loadPlugin();
  const fs::path work = fs::path(plugin->runDir()) / "work";
  fs::create_directories(work);
  const fs::path previous = fs::current_path();
  ASSERT_EQ(chdir(work.c_str()), 0);
  const bool rootHadRecords = fs::exists("/入群账号.ini") || fs::exists("/名片赞数量.ini");

  // No folder yet: the writes fail quietly rather than land elsewhere.
  EXPECT_EQ(plugin->event("10000", 212, 0, "20002", "", "10003", "", "1", "2", "", "", 0), 1);
  EXPECT_TRUE(filesBelow(work).empty());
  // With the group's folder present, the records go into it.
  fs::create_directories(fs::path(plugin->pluginDir()) / "20002");
  fs::create_directories(work / "20002");
  EXPECT_EQ(plugin->event("10000", 219, 0, "20002", "10001", "10004", "", "1", "2", "", "", 0), 1);
  EXPECT_TRUE(filesBelow(work).empty());
  EXPECT_TRUE(fs::exists(fs::path(plugin->pluginDir()) / "20002" / "入群账号.ini"));
  if (!rootHadRecords) {
    EXPECT_FALSE(fs::exists("/入群账号.ini"));
    EXPECT_FALSE(fs::exists("/名片赞数量.ini"));
  }
  EXPECT_EQ(chdir(previous.c_str()), 0);
}

}  // namespace
}  // namespace events_test
