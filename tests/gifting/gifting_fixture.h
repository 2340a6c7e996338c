// A fresh plug-in folder per test, the recording host, the two community site stand-ins, the
// portrait and avatar stand-ins, and a clock the test sets.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "config/plugin_dir.h"
#include "gifting/run_log.h"
#include "hostapi/host_api.h"
#include "stubs/community_sites.h"
#include "stubs/qq_services.h"
#include "support/recording_host.h"
#include "text/date_text.h"
#include "text/gbk.h"

namespace gifting_test {

using text::gbk;

inline text::LocalTime& testClock() {
  static text::LocalTime now{2024, 3, 5, 14, 7, 0};
  return now;
}

class GiftingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/gifting-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    config::setPluginDir(root_ + "/");
    host_ = std::make_shared<support::RecordingHost>();
    hostapi::setHostApi(host_);
    testClock() = text::LocalTime{2024, 3, 5, 14, 7, 0};
    text::setClockSource([] { return testClock(); });
    gifting::clearRunLog();
    portrait_ = std::make_unique<stubs::PortraitService>(qqServer_);
    avatar_ = std::make_unique<stubs::AvatarService>(qqServer_);
    writeCore(gbk("服务地址"), gbk("昵称服务"), qqServer_.baseUrl());
    writeCore(gbk("服务地址"), gbk("头像服务"), qqServer_.baseUrl());
  }

  void TearDown() override {
    hostapi::setHostApi(nullptr);
    text::setClockSource({});
    gifting::setRunLogListener({});
    std::filesystem::remove_all(root_);
  }

  // Utilities; texts are GBK, folders a group number or config::defaultFolder().
  void writeCore(const std::string& section, const std::string& key, const std::string& value) {
    config::WriteValue(config::CorePath(), section, key, value);
  }
  void setSharedSwitch(const std::string& utf8Value) {
    writeCore(gbk("软件参数"), gbk("是否所有群使用默认配置"), gbk(utf8Value));
  }
  void writeProfile(const std::string& folder, const std::string& utf8Section, const std::string& utf8Key,
                    const std::string& gbkValue) {
    config::makeFolder(config::FolderPath(folder));
    config::WriteValue(config::ProfilePath(folder), gbk(utf8Section), gbk(utf8Key), gbkValue);
  }
  // Wires a profile to the 亿乐 stand-in (kind "0") or the 玖伍 stand-in (kind "1"/"2").
  void wireYile(const std::string& folder, const std::string& account = "alice",
                const std::string& password = "secret") {
    writeProfile(folder, "对接参数", "社区类型", "0");
    writeProfile(folder, "亿乐社区", "地址", yile_.baseUrl());
    writeProfile(folder, "亿乐社区", "商品id", "77");
    writeProfile(folder, "亿乐社区", "账号", account);
    writeProfile(folder, "亿乐社区", "密码", password);
  }
  void wireJiuwu(const std::string& folder, const std::string& kind, const std::string& account = "bob",
                 const std::string& password = "pa55") {
    writeProfile(folder, "对接参数", "社区类型", kind);
    writeProfile(folder, "玖伍社区", "地址", jiuwu_.baseUrl());
    writeProfile(folder, "玖伍社区", "goodsid", "12");
    writeProfile(folder, "玖伍社区", "goodtype", "3");
    writeProfile(folder, "玖伍社区", "账号", account);
    writeProfile(folder, "玖伍社区", "密码", password);
  }
  std::string ledger(const std::string& utf8Section, const std::string& gbkKey) {
    return config::ReadValue(config::LedgerPath(), gbk(utf8Section), gbkKey);
  }

  std::string root_;
  std::shared_ptr<support::RecordingHost> host_;
  stubs::YileSite yile_{"alice", "secret"};
  stubs::JiuwuSite jiuwu_{"bob", "pa55"};
  stubs::StubServer qqServer_;
  std::unique_ptr<stubs::PortraitService> portrait_;
  std::unique_ptr<stubs::AvatarService> avatar_;
};

}  // namespace gifting_test
