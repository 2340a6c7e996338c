// irhost run as a program: installed in a fresh folder with a plug-in that calls every host
// function, it replays a session file and prints each call as one line.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <vector>

#include "installation.h"
#include "text/gbk.h"

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out, err;
};

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

class IrhostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = irhost_test::newInstallation("irhost-");
    ASSERT_FALSE(dir.empty());
  }
  void TearDown() override { fs::remove_all(dir); }

  void installEchoPlugin() { fs::copy_file(ECHO_PLUGIN, dir / "plugin" / "echo.ir.so"); }
  void installPlugin() { irhost_test::installPlugin(dir); }
  void installDemoSession() {
    fs::create_directory(dir / "demo");
    fs::copy_file(DEMO_SESSION, dir / "demo" / "demo.session");
  }

  Outcome run(const std::string& args, const std::string& session = "") {
    if (!session.empty()) std::ofstream(dir / "s.session", std::ios::binary) << session;
    std::string cmd = "cd '" + dir.string() + "' && ./irhost " + args + " >out.txt 2>err.txt";
    Outcome o;
    int raw = std::system(cmd.c_str());
    o.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    o.out = slurp(dir / "out.txt");
    o.err = slurp(dir / "err.txt");
    return o;
  }

  fs::path dir;
};

TEST_F(IrhostTest, SessionIsReplayedAndEveryHostCallShownAsOneLine) {
  installEchoPlugin();
  Outcome o = run("run s.session",
                  "# answers first\n"
                  "robot\t10000\n"
                  "level\t10001\t25\n"
                  "level\t*\t3\n"
                  "sign\t10001\t热爱\\t生活\n"
                  "nick\t10001\t小明\n"
                  "piclink\t[IR:pic=a.jpg]\thttp://127.0.0.1/a.jpg\n"
                  "groups\t{\"groupid\":20002}\n"
                  "\n"
                  "event\t2\t20002\t10001\t10003\t你好\\n世界\t7\t77\n"
                  "pause\t1\n"
                  "lookup\t10001\n");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  EXPECT_EQ(o.out,
            "irhost: loaded plugin/echo.ir.so\n"
            "  information (22 bytes in GBK):\n"
            "    name{echo}\n"
            "    version{1}\n"
            "> group message (kind 2) group 20002 active 10001 passive 10003: 你好\\n世界\n"
            "  send group 20002 → 你好\\n世界\n"
            "  send private 10003 (from group 20002) → pm\n"
            "  send group 20002 qq 10001 (type 212) → reply\n"
            "  xml group 20002 qq 10001 (1,2,2) → <msg/>\n"
            "  answer request of 10001 to group 20002: approve\n"
            "  answer request of 10001 to group 20002: refuse (kind 214), reason \"low\"\n"
            "  query level of 10001 → 25\n"
            "  query signature of 10001 → 热爱\\t生活\n"
            "  ban 10001 in group 20002 for 600 s\n"
            "  kick 10003 from group 20002\n"
            "  withdraw message 7/77 in group 20002\n"
            "  query picture link of [IR:pic=a.jpg] → http://127.0.0.1/a.jpg\n"
            "  log level 25 sign 热爱\\t生活\n"
            "  query QQ list → 10000\n"
            "  query group list of 10000 → {\"groupid\":20002}\n"
            "  query nick of 10001 → 小明\n"
            "  echo.ir.so returned 1\n"
            "> nickname of 10001\n"
            "  query nick of 10001 → 小明\n"
            "  echo.ir.so nickname of 10001 → 小明\n"
            "irhost: plugin/echo.ir.so destroyed (0)\n");
}

TEST_F(IrhostTest, MalformedLineStopsTheSessionWithItsLineNumber) {
  installEchoPlugin();
  struct Case {
    const char* session;
    const char* error;
  } cases[] = {
      {"robot\t1\nfrobnicate\t1\n", "s.session:2: unknown line kind 'frobnicate'"},
      {"# c\nevent\tx\t1\n", "s.session:2: kind is not a whole number: x"},
      {"level\t10001\n", "s.session:1: 'level' needs 2 field(s)"},
      {"pause\t-5\n", "s.session:1: pause is not a number of milliseconds: -5"},
      {"piclink\tc\t${PICTURES}/a.jpg\n", "s.session:1: unknown name ${PICTURES} (the stand-ins are not started)"},
      {"standins\npiclink\tc\t${PICTURE}/a.jpg\n", "s.session:2: unknown name ${PICTURE}"},
      {"picture\ta.jpg\tx\n", "s.session:1: 'picture' needs the stand-ins"},
      {"orders\n", "s.session:1: 'orders' needs the stand-ins"},
      {"standins\nstandins\n", "s.session:2: the stand-ins run already"},
      {"config\ta.ini\ts\tk\n", "s.session:1: 'config' needs 4 field(s)"},
      {"config\t../a.ini\ts\tk\tv\n", "s.session:1: not a file inside the plug-in's folder: ../a.ini"},
      {"config\t/tmp/a.ini\ts\tk\tv\n", "not a file inside the plug-in's folder: /tmp/a.ini"},
      {"show\t20002//a.ini\n", "not a file inside the plug-in's folder: 20002//a.ini"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.session);
    Outcome o = run("run s.session", c.session);
    EXPECT_EQ(o.status, 2);
    EXPECT_NE(o.err.find(c.error), std::string::npos) << o.err;
  }
}

TEST_F(IrhostTest, EventsBeforeAMalformedLineHaveRun) {
  installEchoPlugin();
  Outcome o = run("run s.session", "event\t212\t20002\t\t10003\nbogus\n");
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.out.find("> member joined (kind 212) group 20002 passive 10003\n"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("withdraw message 1/1000001 in group 20002"), std::string::npos) << o.out;
}

TEST_F(IrhostTest, DemoRunsTheShippedSessionInAFreshInstallationEachTime) {
  installEchoPlugin();
  installDemoSession();
  Outcome first = run("demo");
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_TRUE(fs::exists(dir / "demo" / "run" / "plugin" / "echo.ir.so"));
  std::ofstream(dir / "demo" / "run" / "plugin" / "left-over.txt") << "x";
  Outcome second = run("demo");
  EXPECT_EQ(second.status, 0) << second.err;
  EXPECT_EQ(second.out, first.out);
  EXPECT_FALSE(fs::exists(dir / "demo" / "run" / "plugin" / "left-over.txt"));
  EXPECT_NE(first.out.find("> group message (kind 2) group 20002"), std::string::npos) << first.out;
}

TEST_F(IrhostTest, ConfigWritesGbkSettingsAndFillsAMissingProfileFirst) {
  installEchoPlugin();
  Outcome o = run("run s.session",
                  "standins\n"
                  "config\t核心配置.ini\t服务地址\t昵称服务\t${PORTRAIT}\n"
                  "config\t20002/机器人参数.ini\t亿乐社区\t地址\t${YILE}\n"
                  "config\t20002/机器人参数.ini\t群管系统\t禁言关键词\t\n"
                  "show\t核心配置.ini\n"
                  "show\t20003/机器人参数.ini\n");
  ASSERT_EQ(o.status, 0) << o.err;
  const fs::path files = dir / "plugin" / "echo";
  // On disk: GBK, CR LF, the real address; on screen: UTF-8 and the address's name.
  const std::string core = slurp(files / "核心配置.ini");
  EXPECT_EQ(core.rfind(text::gbk("[服务地址]\r\n昵称服务=http://127.0.0.1:"), 0), 0u) << core;
  EXPECT_NE(o.out.find("> file 核心配置.ini\n  [服务地址]\n  昵称服务=${PORTRAIT}\n> file 20003/机器人参数.ini\n"
                       "  (no such file)\n"),
            std::string::npos)
      << o.out;
  // The profile holds the built-in settings, with the two values written in place.
  const std::string profile = text::gbkToUtf8(slurp(files / "20002" / "机器人参数.ini"));
  for (const char* line : {"[关键词回复]\r\n消息匹配模式=1\r\n", "每日领取口令=领取名片赞\r\n", "\r\n禁言关键词=\r\n是否开启群管=真\r\n",
                           "[亿乐社区]\r\n地址=http://127.0.0.1:"})
    EXPECT_NE(profile.find(line), std::string::npos) << line << "\n" << profile;
}

// The demo with the real plug-in: what it must show is in the output, in this order. Times and
// dates vary from run to run and are not looked at.
TEST_F(IrhostTest, DemoShowsThePluginsWholeJobAgainstTheStandIns) {
  installPlugin();
  installDemoSession();
  Outcome o = run("demo");
  ASSERT_EQ(o.status, 0) << o.err;
  EXPECT_EQ(o.err, "");
  const char* expected[] = {
      // a newcomer: welcome message, order, reply with the order's status
      "> member joined (kind 212) group 20002 passive 10003\n",
      "  send private 10003 (from group 0) → 欢迎QQ号为10003的玩家小红加入20002。",
      "  send group 20002 (type 212) → [IR:at=10003]\\r\\n[IR:pic=${AVATAR}/headimg_dl?dst_uin=10003&spec=100&img_type=jpg]"
      "\\r\\n10003(小红)感谢您加入本群\\r\\n特别奖励您100\\r\\n订单状态:已下单成功\\r\\n",
      "  web YILE ← POST /api/web/order.html api_user=demo&api_pwd=demo123&goodsid=101&number=100&uin=10003 → order "
      "accepted\n",
      // an invitation: the newcomer's order, then the inviter's
      "  send group 20002 qq 10001 (type 219) → 感谢[IR:at=10001]邀请[IR:at=10004]加入本群",
      "入群订单状态:已下单成功\\r\\n邀请订单状态:已下单成功",
      "&uin=10004 → order accepted\n",
      "&uin=10001 → order accepted\n",
      // the returning member is only greeted
      "  send group 20002 (type 212) → [IR:at=10003]\n  ",
      // the daily claim at the 玖伍 site, then the second claim
      "恭喜您成功领取100名片赞\\r\\n订单状态:已下单成功",
      "  web JIUWU ← POST /index.php?m=home&c=order&a=add Api_UserName=demo&Api_UserMd5Pass=",
      "&qq=10001&&need_num_0=100&pay_type=1 → order accepted\n",
      "领取失败原因:您今天已经领取过了",
      // keyword reply
      "  send group 20002 → 一、文明聊天\\r\\n二、禁止广告和代刷，违者禁言\n",
      // a forbidden word typed
      "  ban 10005 in group 20002 for 2280 s\n"
      "  send group 20002 → [IR:at=10005]\\r\\n因为您发送了违禁词[代刷]\\r\\n为此禁言您38分钟\n"
      "  withdraw message 7/1000007 in group 20002\n",
      // a forbidden word inside a picture, read by the recognition stand-in
      "  query picture link of [IR:pic={7A3F2C}.jpg] → ${PICTURES}/poster.jpg\n",
      "  ban 10006 in group 20002 for 2280 s\n"
      "  send group 20002 → [IR:at=10006]\\r\\n因为您的图片包含违禁词[代刷]\\r\\n为此禁言您38分钟\n"
      "  withdraw message 8/1000008 in group 20002\n",
      "  web PICTURES ← GET /poster.jpg\n",
      // join requests
      "  answer request of 10007 to group 20002: approve\n",
      "  answer request of 10008 to group 20002: refuse, reason \"低等级\"\n",
      "  answer request of 10009 to group 20002: refuse, reason \"您的QQ名称带有违禁词\"\n",
      "  answer request of 10010 to group 20002: refuse, reason \"您的QQ签名带有违禁词\"\n",
      // what the sites took and the plug-in wrote
      "  YILE, the 亿乐 site: 3 orders\n",
      "  JIUWU, the 玖伍 site: 1 order\n",
      "> file 名片赞数量.ini\n  [全部名片赞]\n  名片赞=400\n  [每日名片赞]\n",
      "> file 20002/入群账号.ini\n  [10003]\n  已入群号=20002\n  上级QQ=无\n  [10004]\n  已入群号=20002\n  上级QQ=10001\n",
      "> file 20002/入群数据.ini\n  [10003]\n  拉入人数=1\n  退群人数=0\n  获得名片赞=100\n  上级QQ=无\n  [10004]\n"
      "  拉入人数=0\n  退群人数=0\n  获得名片赞=100\n  上级QQ=10001\n  [10001]\n  拉入人数=1\n  获得名片赞=100\n"
      "  拉入QQ=#10004\n",
      "> file 20003/每日领取.ini\n",
      "  10001=1\n",
  };
  std::size_t at = 0;
  for (const char* text : expected) {
    const std::size_t found = o.out.find(text, at);
    ASSERT_NE(found, std::string::npos) << "missing, or out of order: " << text << "\n" << o.out;
    at = found + std::string(text).size();
  }
  // Every outside service is a stand-in: no address of a real service shows up anywhere.
  for (const char* outside : {"qq.com", "qlogo", "http://"}) EXPECT_EQ(o.out.find(outside), std::string::npos) << outside;
  // Apart from its times and dates, the demo tells the same story every time.
  const std::regex moment("[0-9]+年[0-9]+月[0-9]+日([0-9]+时)?([0-9]+分)?([0-9]+秒)?");
  Outcome again = run("demo");
  EXPECT_EQ(std::regex_replace(again.out, moment, "(time)"), std::regex_replace(o.out, moment, "(time)"));
}

TEST_F(IrhostTest, SetupRunsTheSessionThenOpensEachWindowOrSaysWhyItCannot) {
  installPlugin();
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) ::unsetenv(name);
  Outcome o = run("setup s.session", "robot\t10000\nconfig\t核心配置.ini\t服务地址\t头像服务\thttp://127.0.0.1:9\n");
  EXPECT_EQ(o.status, 0) << o.err;
  EXPECT_NE(o.err.find("no desktop here (DISPLAY is not set)"), std::string::npos) << o.err;
  EXPECT_NE(o.err.find("irhost setup --vnc"), std::string::npos) << o.err;
  // The session's lines first, then the window, whose export logs that it has nowhere to go.
  const std::size_t config = o.out.find("> config 核心配置.ini"), settings = o.out.find("> settings\n");
  ASSERT_NE(config, std::string::npos) << o.out;
  ASSERT_NE(settings, std::string::npos) << o.out;
  EXPECT_LT(config, settings);
  EXPECT_NE(o.out.find("  log 朔禾引流插件：没有可显示窗口的桌面", settings), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("settings closed", settings), std::string::npos) << o.out;

  Outcome alone = run("setup");  // no session: the windows alone
  EXPECT_EQ(alone.status, 0) << alone.err;
  EXPECT_NE(alone.out.find("> settings\n"), std::string::npos) << alone.out;
  for (const char* wrong : {"setup --vnc --vnc", "setup a b", "setup --frobnicate", "setup --vnc a b"})
    EXPECT_EQ(run(wrong).status, 2) << wrong;
}

TEST_F(IrhostTest, CommandLineAndMissingPluginsAreReported) {
  EXPECT_EQ(run("run s.session", "robot\t1\n").status, 1);  // the plugin folder is empty
  installEchoPlugin();
  EXPECT_EQ(run("run missing.session").status, 2);
  EXPECT_EQ(run("").status, 2);
  EXPECT_EQ(run("frobnicate").status, 2);
  Outcome help = run("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* kind : {"robot", "level", "sign", "nick", "piclink", "groups", "event", "lookup", "setup",
                           "pause", "standins", "picture", "config", "show", "orders", "demo", "run FILE", "setup [FILE]",
                           "setup --vnc [FILE]", "ssh -L 5901:127.0.0.1:PORT"})
    EXPECT_NE(help.out.find(kind), std::string::npos) << kind;
}

}  // namespace
