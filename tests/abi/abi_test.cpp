// The built library driven through its exports only, as a host drives it: copied into a fresh
// "<run dir>/plugin/", loaded, and bound to the recording host of this process.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <barrier>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <vector>

#include "abi/exported_symbols.h"
#include "stubs/qq_services.h"
#include "stubs/stub_server.h"
#include "support/plugin_loader.h"
#include "support/recording_host.h"
#include "text/gbk.h"

namespace {

namespace fs = std::filesystem;

// Points every outside service of the plug-in at `baseUrl`, so that no event reaches the internet.
void pointServicesAt(const support::LoadedPlugin& plugin, const std::string& baseUrl) {
  std::ofstream core(fs::path(plugin.pluginDir()) / "核心配置.ini", std::ios::binary);
  core << text::gbk("[服务地址]") << "\r\n";
  for (const char* key : {"昵称服务", "头像服务", "文字识别服务", "更新服务"})
    core << text::gbk(key) << "=" << baseUrl << "\r\n";
}

class AbiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    support::host().clear();
    plugin = support::loadPlugin();
  }
  std::unique_ptr<support::LoadedPlugin> plugin;
};

TEST_F(AbiTest, CreateReturnsTheInformationTextByteForByte) {
  const std::string expected = text::gbk(
      "插件名称{朔禾引流插件}\r\n"
      "插件版本{1.0.2}\r\n"
      "插件作者{朔禾团队}\r\n"
      "插件说明{朔禾引流团队，打造全网第一引流}\r\n"
      "插件skey{K4Q7ZMPX2B9HJN6C5TVWA1YL}\r\n"
      "插件sdk{S3}");
  ASSERT_EQ(expected.size(), 150u);
  const char* first = plugin->create();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(std::string(first), expected);
  // Every call redoes every step and yields the same text.
  EXPECT_EQ(std::string(plugin->create()), expected);
}

TEST_F(AbiTest, CreateMakesThePluginFolderWhetherOrNotItExists) {
  for (bool existedBefore : {false, true}) {
    SCOPED_TRACE(existedBefore ? "existed before" : "absent before");
    auto fresh = support::loadPlugin();
    const fs::path dir = fs::path(fresh->pluginDir());
    if (existedBefore) {
      fs::create_directory(dir);
      std::ofstream(dir / "keep.txt") << "kept";
    }
    ASSERT_NE(fresh->create(), nullptr);
    EXPECT_TRUE(fs::is_directory(dir));
    EXPECT_EQ(fs::exists(dir / "keep.txt"), existedBefore);
  }
}

TEST_F(AbiTest, EventReturnsOneForEveryKindAndForNullArguments) {
  plugin->create();
  stubs::StubServer services;
  pointServicesAt(*plugin, services.baseUrl());
  const int32_t kinds[] = {2, 212, 219, 213, 214, 215, 0, 1, 9999, -1};
  const std::string message = text::gbk("大家好");
  for (int32_t kind : kinds) {
    SCOPED_TRACE(kind);
    EXPECT_EQ(plugin->event(nullptr, kind, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                            nullptr, 0),
              1);
    EXPECT_EQ(plugin->event("10000", kind, 1, "20002", "10001", "10003", message.c_str(), "5", "6", "", "", 0),
              1);
  }
}

TEST_F(AbiTest, MessageAndJoinRequestAreAcceptedAndIgnored) {
  plugin->create();
  support::host().clearCalls();
  EXPECT_EQ(plugin->message(nullptr, 0, nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(plugin->message("10000", 2, "20002", "10001", "x", "y"), 1);
  EXPECT_EQ(plugin->requestJoin(nullptr, 0, nullptr, nullptr, nullptr, nullptr), 1);
  EXPECT_EQ(plugin->requestJoin("10000", 213, "20002", "10001", "x", "y"), 1);
  EXPECT_EQ(plugin->destroy(), 0);
  EXPECT_TRUE(support::host().calls().empty());
}

TEST_F(AbiTest, ChineseExportsResolveInUtf8AndInGbk) {
  using RequestJoin = int32_t (*)(const char*, int32_t, const char*, const char*, const char*, const char*);
  for (const char* utf8 : {"IR_请求入群", "QQ_获取昵称"}) {
    SCOPED_TRACE(utf8);
    EXPECT_NE(plugin->symbol(utf8), nullptr);
    EXPECT_NE(plugin->symbol(text::gbk(utf8).c_str()), nullptr);
  }
  auto gbkRequestJoin = reinterpret_cast<RequestJoin>(plugin->symbol(text::gbk("IR_请求入群").c_str()));
  ASSERT_NE(gbkRequestJoin, nullptr);
  EXPECT_EQ(gbkRequestJoin(nullptr, 0, nullptr, nullptr, nullptr, nullptr), 1);
}

TEST_F(AbiTest, OnlyTheExportsAreVisible) {
  const std::set<std::string> expected = {
      "IR_Create", "IR_SetUp", "IR_Event", "IR_Message", "IR_请求入群", "IR_DestroyPlugin", "QQ_获取昵称",
      text::gbk("IR_请求入群"), text::gbk("QQ_获取昵称"),
  };
  EXPECT_EQ(exportedSymbols(plugin->libraryPath()), expected);
  // Internal functions stay out of reach of the loader.
  EXPECT_EQ(plugin->symbol("_ZN4host14faultLogPrefixEv"), nullptr);
  EXPECT_EQ(plugin->symbol("_ZN7hostapi7hostApiEv"), nullptr);
}

TEST_F(AbiTest, FaultInAHostCallIsLoggedAndSurvived) {
  plugin->create();
  support::host().clearCalls();
  // The host's log function throws on its first call: the export's guard catches the fault, writes
  // it to the log and returns to the host as usual.
  support::host().failNextCall("Api_OutPutLog", "host log busy");
  plugin->setUp();
  auto logs = support::host().callsTo("Api_OutPutLog");
  ASSERT_EQ(logs.size(), 2u);
  EXPECT_EQ(text::gbkToUtf8(logs[1].arg(0)), "朔禾引流插件发生异常，异常信息：host log busy");
}

TEST_F(AbiTest, SetUpSaysTheWindowIsMissingInThisBuild) {
  plugin->create();
  support::host().clearCalls();
  plugin->setUp();
  auto logs = support::host().callsTo("Api_OutPutLog");
  ASSERT_EQ(logs.size(), 1u);
  EXPECT_NE(text::gbkToUtf8(logs[0].arg(0)).find("设置窗口"), std::string::npos);
}

TEST_F(AbiTest, NicknameIsLookedUpAndRetainedUntilTheNextCall) {
  plugin->create();
  stubs::StubServer server;
  stubs::PortraitService portrait(server);
  portrait.setNickname("10001", text::gbk("小明"));
  portrait.setNickname("10002", text::gbk("小红"));
  pointServicesAt(*plugin, server.baseUrl());

  const char* first = plugin->nickname("10001");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(std::string(first), text::gbk("小明"));
  auto gbkNickname = reinterpret_cast<const char* (*)(const char*)>(plugin->symbol(text::gbk("QQ_获取昵称").c_str()));
  ASSERT_NE(gbkNickname, nullptr);
  EXPECT_EQ(std::string(gbkNickname("10002")), text::gbk("小红"));
  const char* none = plugin->nickname(nullptr);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(std::string(none), "");
  ASSERT_EQ(server.requests().size(), 3u);
  EXPECT_EQ(server.requests()[0].target, "/fcg-bin/cgi_get_portrait.fcg?uins=10001");
  EXPECT_EQ(server.requests()[2].target, "/fcg-bin/cgi_get_portrait.fcg?uins=");
}

// A host that asks from several threads at once: each thread's answer stays its own until that
// thread asks again, however the other threads' calls interleave with it.
TEST_F(AbiTest, NicknamesAskedFromEightThreadsAtOnceStayApart) {
  plugin->create();
  stubs::StubServer server;
  stubs::PortraitService portrait(server);
  constexpr int kThreads = 8, kRounds = 5;
  for (int t = 0; t < kThreads; ++t)
    portrait.setNickname(std::to_string(10001 + t), text::gbk("成员") + std::to_string(t));
  pointServicesAt(*plugin, server.baseUrl());

  std::barrier everyoneAsked(kThreads);
  std::vector<std::vector<std::string>> seen(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const std::string qq = std::to_string(10001 + t);
      for (int round = 0; round < kRounds; ++round) {
        const char* nickname = plugin->nickname(qq.c_str());
        // Read only once every thread has had its answer: a buffer shared between threads would
        // hold someone else's nickname by now.
        everyoneAsked.arrive_and_wait();
        seen[t].push_back(nickname ? std::string(nickname) : "(null)");
        everyoneAsked.arrive_and_wait();
      }
    });
  }
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t)
    EXPECT_EQ(seen[t], std::vector<std::string>(kRounds, text::gbk("成员") + std::to_string(t))) << "thread " << t;
  EXPECT_EQ(server.requests().size(), std::size_t(kThreads * kRounds));
}

}  // namespace
