// irhost serve as a program, with the real plug-in, driven by the OneBot implementation stand-in
// over loopback: the events reach the plug-in and its host calls come back as actions.
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <thread>

#include "installation.h"
#include "stubs/onebot_standin.h"

namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using stubs::OneBotStandin;
using namespace std::chrono_literals;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// The text of a message's segments: text as it is, a mention as @QQ.
std::string textOf(const json& segments) {
  std::string s;
  for (const auto& seg : segments) {
    if (seg["type"] == "text") s += seg["data"]["text"].get<std::string>();
    if (seg["type"] == "at") s += "@" + seg["data"]["qq"].get<std::string>();
  }
  return s;
}

class ServeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = irhost_test::newInstallation("irhost-serve-");
    ASSERT_FALSE(dir.empty());
    irhost_test::installPlugin(dir);
  }
  void TearDown() override {
    stop();
    fs::remove_all(dir);
  }

  // The plug-in's settings, written by `irhost run` from config lines ("FILE\tSECTION\tKEY\tVALUE").
  void configure(const std::vector<std::string>& lines) {
    std::ofstream s(dir / "setup.session", std::ios::binary);
    for (const auto& l : lines) s << "config\t" << l << "\n";
    s.close();
    const std::string cmd = "cd '" + dir.string() + "' && ./irhost run setup.session >setup.txt 2>&1";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << slurp(dir / "setup.txt");
  }

  // Starts `irhost serve ARGS`; returns the port of its banner (0 when it printed none).
  std::uint16_t start(std::vector<std::string> args, const std::string& token = "") {
    pid = fork();
    if (pid == 0) {
      if (chdir(dir.c_str()) != 0) _exit(127);
      std::FILE* out = std::freopen("out.txt", "w", stdout);
      std::FILE* err = std::freopen("err.txt", "w", stderr);
      if (!out || !err) _exit(127);
      if (token.empty()) unsetenv("IRHOST_ONEBOT_TOKEN");
      else setenv("IRHOST_ONEBOT_TOKEN", token.c_str(), 1);
      std::vector<char*> argv{const_cast<char*>("./irhost"), const_cast<char*>("serve")};
      for (auto& a : args) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv("./irhost", argv.data());
      _exit(127);
    }
    static const std::regex banner(R"(listening on ws://127\.0\.0\.1:(\d+)/)");
    for (int i = 0; i < 200; ++i) {
      std::smatch m;
      const std::string o = out();
      if (std::regex_search(o, m, banner) && o.find("plug-ins:") != std::string::npos) return std::uint16_t(std::stoi(m[1]));
      if (exited()) return 0;
      std::this_thread::sleep_for(50ms);
    }
    return 0;
  }

  bool exited() {
    if (pid <= 0) return true;
    int raw = 0;
    if (waitpid(pid, &raw, WNOHANG) == pid) {
      status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
      pid = 0;
      return true;
    }
    return false;
  }

  // SIGTERM and the exit status (-1 when it did not end within 30 s).
  int stop() {
    if (pid <= 0) return status;
    kill(pid, SIGTERM);
    for (int i = 0; i < 600 && !exited(); ++i) std::this_thread::sleep_for(50ms);
    if (pid > 0) {
      kill(pid, SIGKILL);
      waitpid(pid, nullptr, 0);
      pid = 0;
      status = -1;
    }
    return status;
  }

  std::string out() { return slurp(dir / "out.txt"); }
  std::string err() { return slurp(dir / "err.txt"); }

  // The actions named `name` the stand-in received so far.
  static std::vector<json> named(const OneBotStandin& s, const std::string& name) {
    std::vector<json> found;
    for (const auto& a : s.actions())
      if (a["action"] == name) found.push_back(a["params"]);
    return found;
  }
  static bool waitNamed(const OneBotStandin& s, const std::string& name, std::size_t count,
                        std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (named(s, name).size() < count) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(20ms);
    }
    return true;
  }

  fs::path dir;
  pid_t pid = 0;
  int status = -1;
};

const char* kProfile = "20002/机器人参数.ini";

std::string setting(const std::string& section, const std::string& key, const std::string& value,
                    const std::string& file = kProfile) {
  return file + "\t" + section + "\t" + key + "\t" + value;
}

TEST_F(ServeTest, EachEventKindReachesThePluginAndItsCallsComeBackAsActions) {
  configure({setting("软件参数", "是否所有群使用默认配置", "假", "核心配置.ini"),
             setting("关键词回复", "词库", "群规---一、文明聊天"),
             setting("群管系统", "禁言关键词", "代刷"),
             setting("进群私聊", "是否开启", "真"),
             setting("进群私聊", "进群私聊", "欢迎[QQ]加入[群号]"),
             setting("低等级", "是否开启", "真"),
             setting("低等级", "等级", "16")});
  const auto port = start({"--listen", "127.0.0.1:0", "--pace", "0"});
  ASSERT_NE(port, 0) << out() << err();
  OneBotStandin s;
  ASSERT_EQ(s.connect(port, {}), 101);
  s.respond("get_stranger_info", [](const json& p) {
    const long long qq = p["user_id"];
    return OneBotStandin::strangerInfo(stubs::OneBotFlavor::NapCat, qq, "n", qq == 30008 ? 3 : 20, "");
  });
  s.answer("send_group_msg", {{"message_id", 1}});

  // A keyword, then a forbidden word: reply; ban, withdrawal and notice.
  s.sendEvent(OneBotStandin::groupMessage("10001", 20002, 30003, 501, json::array({{{"type", "text"}, {"data", {{"text", "请问群规是什么？"}}}}})));
  s.sendEvent(OneBotStandin::groupMessage("10001", 20002, 30005, -77, json::array({{{"type", "text"}, {"data", {{"text", "出售代刷"}}}}})));
  ASSERT_TRUE(waitNamed(s, "delete_msg", 1)) << out();
  ASSERT_TRUE(waitNamed(s, "send_group_msg", 2)) << out();
  const auto sends = named(s, "send_group_msg");
  EXPECT_EQ(sends[0]["group_id"], 20002);
  EXPECT_NE(textOf(sends[0]["message"]).find("一、文明聊天"), std::string::npos) << sends[0];
  EXPECT_NE(textOf(sends[1]["message"]).find("@30005"), std::string::npos) << sends[1];
  const auto bans = named(s, "set_group_ban");
  ASSERT_EQ(bans.size(), 1u);
  EXPECT_EQ(bans[0], (json{{"group_id", 20002}, {"user_id", 30005}, {"duration", bans[0]["duration"]}}));
  EXPECT_GT(bans[0]["duration"].get<int>(), 0);
  EXPECT_EQ(named(s, "delete_msg")[0], (json{{"message_id", -77}}));

  // A newcomer: the welcome message goes privately, by way of the group (a temporary session).
  s.sendEvent(OneBotStandin::memberIncrease("10001", 20002, 30004, 0, "approve"));
  ASSERT_TRUE(waitNamed(s, "send_private_msg", 1)) << out();
  const auto pm = named(s, "send_private_msg")[0];
  EXPECT_EQ(pm["user_id"], 30004);
  EXPECT_EQ(pm["group_id"], 20002);
  EXPECT_EQ(textOf(pm["message"]), "欢迎30004加入20002");

  // Join requests: level 20 approved, level 3 refused, each answered with its own flag.
  s.sendEvent(OneBotStandin::joinRequest("10001", 20002, 30007, "我想进群", "flag-7"));
  s.sendEvent(OneBotStandin::joinRequest("10001", 20002, 30008, "我想进群", "flag-8"));
  ASSERT_TRUE(waitNamed(s, "set_group_add_request", 2)) << out();
  const auto answers = named(s, "set_group_add_request");
  EXPECT_EQ(answers[0]["flag"], "flag-7");
  EXPECT_EQ(answers[0]["approve"], true);
  EXPECT_EQ(answers[1]["flag"], "flag-8");
  EXPECT_EQ(answers[1]["approve"], false);
  EXPECT_EQ(answers[1]["sub_type"], "add");

  // Own messages and heartbeats reach nobody: nothing more is sent.
  s.sendEvent(OneBotStandin::groupMessage("10001", 20002, 10001, 9, json::array({{{"type", "text"}, {"data", {{"text", "群规"}}}}})));
  s.sendEvent(OneBotStandin::heartbeat("10001"));
  const std::size_t before = s.actions().size();
  // A last event as a marker: everything before it has been handled once its reply is out.
  s.sendEvent(OneBotStandin::groupMessage("10001", 20002, 30003, 502, json::array({{{"type", "text"}, {"data", {{"text", "群规"}}}}})));
  ASSERT_TRUE(waitNamed(s, "send_group_msg", 4)) << out();
  EXPECT_EQ(s.actions().size(), before + 1);

  const std::string o = out();
  EXPECT_NE(o.find("> group message (kind 2) robot 10001 group 20002 active 30003 #501: 请问群规是什么？"), std::string::npos) << o;
  EXPECT_NE(o.find("ban 30005 in group 20002"), std::string::npos) << o;
  EXPECT_EQ(stop(), 0) << err();
  EXPECT_NE(out().find("irhost serve: stopped"), std::string::npos) << out();
}

TEST_F(ServeTest, RefusedHandshakesLeaveTheProcessServing) {
  const auto port = start({"--listen", "127.0.0.1:0"}, "s3cret");
  ASSERT_NE(port, 0) << out() << err();
  EXPECT_NE(out().find("(token required)"), std::string::npos);
  struct Case {
    const char* what;
    stubs::OneBotConnectOptions options;
    int status;
  };
  auto with = [](auto change) {
    stubs::OneBotConnectOptions o;
    o.token = "s3cret";
    change(o);
    return o;
  };
  const Case cases[] = {
      {"wrong token", with([](auto& o) { o.token = "guess"; }), 401},
      {"no token", with([](auto& o) { o.token = ""; }), 401},
      {"no X-Self-ID", with([](auto& o) { o.sendSelfId = false; }), 400},
      {"API role", with([](auto& o) { o.role = "API"; }), 400},
      {"wrong path", with([](auto& o) { o.path = "/ws"; }), 404},
  };
  for (const Case& c : cases) {
    OneBotStandin s;
    EXPECT_EQ(s.connect(port, c.options), c.status) << c.what;
  }
  EXPECT_FALSE(exited());
  OneBotStandin s;
  ASSERT_EQ(s.connect(port, with([](auto&) {})), 101);
  EXPECT_EQ(stop(), 0);
  EXPECT_NE(out().find("connection refused"), std::string::npos) << out();
}

TEST_F(ServeTest, UnsafeCommandLinesAreRefusedAtStart) {
  EXPECT_EQ(start({"--listen", "0.0.0.0:0"}), 0);
  EXPECT_EQ(stop(), 2);
  EXPECT_NE(err().find("without a token"), std::string::npos) << err();
  EXPECT_EQ(start({"--token", "abc"}), 0);
  EXPECT_EQ(stop(), 2);
  EXPECT_NE(err().find("not taken from the command line"), std::string::npos) << err();
}

TEST_F(ServeTest, DuplicatesAreDroppedAndGroupsRunSideBySideInOrder) {
  configure({setting("低等级", "是否开启", "真"), setting("低等级", "等级", "16"), setting("进群私聊", "是否开启", "真"),
             setting("低等级", "是否开启", "真", "20003/机器人参数.ini"), setting("低等级", "等级", "16", "20003/机器人参数.ini")});
  const auto port = start({"--listen", "127.0.0.1:0", "--quiet"});
  ASSERT_NE(port, 0) << out() << err();
  OneBotStandin s;
  ASSERT_EQ(s.connect(port, {}), 101);
  // Every level takes a while to come: a group waits for it, the other group does not.
  s.answer("get_stranger_info", OneBotStandin::strangerInfo(stubs::OneBotFlavor::LLOneBot, 1, "n", 30, ""), 1500ms);
  s.sendEvent(OneBotStandin::joinRequest("10001", 20002, 30001, "", "a1"));
  s.sendEvent(OneBotStandin::joinRequest("10001", 20003, 40001, "", "b1"));
  // Both groups ask at once: the second question comes before the first answer.
  EXPECT_TRUE(waitNamed(s, "get_stranger_info", 2, 1000ms));
  s.answer("get_stranger_info", OneBotStandin::strangerInfo(stubs::OneBotFlavor::LLOneBot, 1, "n", 30, ""), 20ms);
  for (int i = 2; i <= 6; ++i) {
    s.sendEvent(OneBotStandin::joinRequest("10001", 20002, 30000 + i, "", "a" + std::to_string(i)));
    s.sendEvent(OneBotStandin::joinRequest("10001", 20003, 40000 + i, "", "b" + std::to_string(i)));
  }
  // Duplicates the implementations send: a request again; a member increase twice (NapCat's second
  // one as an invite by operator 0). Then a last request of the group as a marker.
  s.sendEvent(OneBotStandin::joinRequest("10001", 20002, 30002, "", "a2"));
  s.sendEvent(OneBotStandin::memberIncrease("10001", 20002, 30009, 0, "approve"));
  s.sendEvent(OneBotStandin::memberIncrease("10001", 20002, 30009, 0, "invite"));
  s.sendEvent(OneBotStandin::joinRequest("10001", 20002, 30007, "", "a7"));
  ASSERT_TRUE(waitNamed(s, "set_group_add_request", 13, 20s)) << out();
  std::string a, b;
  for (const auto& p : named(s, "set_group_add_request")) {
    const std::string flag = p["flag"];
    (flag[0] == 'a' ? a : b) += flag;
  }
  EXPECT_EQ(a, "a1a2a3a4a5a6a7");
  EXPECT_EQ(b, "b1b2b3b4b5b6");
  EXPECT_EQ(named(s, "send_private_msg").size(), 1u);  // one welcome for the one newcomer
  EXPECT_EQ(stop(), 0);
}

TEST_F(ServeTest, AfterADropNoEventIsLostAndNoCallHangs) {
  configure({setting("低等级", "是否开启", "真"), setting("低等级", "等级", "16")});
  const auto port = start({"--listen", "127.0.0.1:0", "--quiet"});
  ASSERT_NE(port, 0) << out() << err();
  OneBotStandin s;
  ASSERT_EQ(s.connect(port, {}), 101);
  s.dropOn("get_stranger_info");
  s.sendEvent(OneBotStandin::joinRequest("10001", 20002, 30001, "", "r1"));
  ASSERT_TRUE(s.waitDisconnected(5s));
  // The implementation comes back, as they do after a few seconds, and goes on sending.
  s.answer("get_stranger_info", OneBotStandin::strangerInfo(stubs::OneBotFlavor::Lagrange, 1, "n", 30, ""));
  ASSERT_EQ(s.connect(port, {}), 101);
  s.sendEvent(OneBotStandin::joinRequest("10001", 20002, 30002, "", "r2"));
  s.sendEvent(OneBotStandin::joinRequest("10001", 20002, 30003, "", "r3"));
  // Well inside the 10 s an unanswered call would wait: the dropped call ended with its link.
  ASSERT_TRUE(waitNamed(s, "set_group_add_request", 2, 5s)) << out();
  EXPECT_EQ(named(s, "set_group_add_request")[0]["flag"], "r2");
  EXPECT_EQ(named(s, "set_group_add_request")[1]["flag"], "r3");
  EXPECT_EQ(stop(), 0);
  EXPECT_NE(out().find("get_stranger_info for robot 10001: connection lost"), std::string::npos) << out();
}

TEST_F(ServeTest, ShutdownFinishesTheEventsInHand) {
  configure({setting("低等级", "是否开启", "真"), setting("低等级", "等级", "16")});
  const auto port = start({"--listen", "127.0.0.1:0", "--quiet"});
  ASSERT_NE(port, 0) << out() << err();
  OneBotStandin s;
  ASSERT_EQ(s.connect(port, {}), 101);
  s.answer("get_stranger_info", OneBotStandin::strangerInfo(stubs::OneBotFlavor::NapCat, 1, "n", 30, ""), 300ms);
  for (int i = 1; i <= 3; ++i)
    s.sendEvent(OneBotStandin::joinRequest("10001", 20002, 30000 + i, "", "f" + std::to_string(i)));
  ASSERT_TRUE(waitNamed(s, "get_stranger_info", 1));
  kill(pid, SIGTERM);
  for (int i = 0; i < 400 && !exited(); ++i) std::this_thread::sleep_for(50ms);
  ASSERT_TRUE(exited());
  EXPECT_EQ(status, 0) << err();
  EXPECT_EQ(named(s, "set_group_add_request").size(), 3u) << out();
  const std::string o = out();
  EXPECT_LT(o.find("stopping"), o.find("destroyed (0)")) << o;
  EXPECT_LT(o.find("destroyed (0)"), o.find("irhost serve: stopped")) << o;
}

}  // namespace

namespace {

TEST_F(ServeTest, DemoThroughTheStandinTellsTheWholeStory) {
  fs::create_directory(dir / "demo");
  fs::copy_file(DEMO_SESSION, dir / "demo" / "demo.session");
  const std::string cmd = "cd '" + dir.string() + "' && ./irhost demo --onebot >out.txt 2>err.txt";
  ASSERT_EQ(std::system(cmd.c_str()), 0) << err();
  const std::string o = out();
  for (const char* line : {
           "onebot ← send_private_msg {\"group_id\":20002,",
           "onebot ← set_group_ban {\"duration\":2280,\"group_id\":20002,\"user_id\":10005}",
           "onebot ← delete_msg {\"message_id\":1000008}",  // the picture's message, read through get-pic-link
           "query picture link of [IR:pic=0000000000000001.jpg] → ${PICTURES}/poster.jpg",
           "onebot ← set_group_add_request {\"approve\":true,\"flag\":\"flag-9\"",
           "onebot ← set_group_add_request {\"approve\":false,\"flag\":\"flag-10\",\"reason\":\"低等级\"",
       })
    EXPECT_NE(o.find(line), std::string::npos) << line << "\n" << o;
  EXPECT_EQ(err(), "");
}

}  // namespace
