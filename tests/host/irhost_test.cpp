// irhost run as a program: installed in a fresh folder with a plug-in that calls every host
// function, it replays a session file and prints each call as one line.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "host/irhost_files.h"  // generated: IRHOST_PROGRAM, ECHO_PLUGIN, DEMO_SESSION

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
    std::string pattern = (fs::temp_directory_path() / "irhost-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    fs::copy_file(IRHOST_PROGRAM, dir / "irhost");
    fs::permissions(dir / "irhost", fs::perms::owner_exec, fs::perm_options::add);
    fs::create_directory(dir / "plugin");
  }
  void TearDown() override { fs::remove_all(dir); }

  void installEchoPlugin() { fs::copy_file(ECHO_PLUGIN, dir / "plugin" / "echo.ir.so"); }

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
  fs::create_directory(dir / "demo");
  fs::copy_file(DEMO_SESSION, dir / "demo" / "demo.session");
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

TEST_F(IrhostTest, CommandLineAndMissingPluginsAreReported) {
  EXPECT_EQ(run("run s.session", "robot\t1\n").status, 1);  // the plugin folder is empty
  installEchoPlugin();
  EXPECT_EQ(run("run missing.session").status, 2);
  EXPECT_EQ(run("").status, 2);
  EXPECT_EQ(run("frobnicate").status, 2);
  Outcome help = run("--help");
  EXPECT_EQ(help.status, 0);
  for (const char* kind : {"robot", "level", "sign", "nick", "piclink", "groups", "event", "lookup", "setup",
                           "pause", "demo", "run FILE"})
    EXPECT_NE(help.out.find(kind), std::string::npos) << kind;
}

}  // namespace
