// End-to-end fixture: the built plug-in copied into a fresh run directory and driven through
// IR_Event, the recording host of this process behind its host calls, a 亿乐 community stand-in
// and one loopback server with the portrait, avatar and recognition stand-ins, reached through the
// core file's 服务地址. The test writes the plug-in's files with its own copy of the config module.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "config/plugin_dir.h"
#include "host_calls.h"
#include "stubs/community_sites.h"
#include "stubs/qq_services.h"
#include "support/plugin_loader.h"
#include "support/recording_host.h"
#include "text/date_text.h"
#include "text/gbk.h"

namespace events_test {

using text::gbk;

inline std::string fileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    support::host().clear();
    plugin_ = support::loadPlugin();
    ASSERT_NE(plugin_->create(), nullptr);
    config::setPluginDir(plugin_->pluginDir());
    writeCore("服务地址", "昵称服务", qq_.baseUrl());
    writeCore("服务地址", "头像服务", qq_.baseUrl());
    writeCore("服务地址", "文字识别服务", qq_.baseUrl());
  }
  void TearDown() override { plugin_.reset(); }

  void writeCore(const std::string& section, const std::string& key, const std::string& gbkValue) {
    config::WriteValue(config::CorePath(), gbk(section), gbk(key), gbkValue);
  }
  void setSharedSwitch(const std::string& utf8Value) { writeCore("软件参数", "是否所有群使用默认配置", gbk(utf8Value)); }

  // Folders are named in UTF-8 here ("默认配置" or a group number).
  // A profile from the built-in text, wired to the 亿乐 stand-in.
  void makeProfile(const std::string& folder) {
    config::EnsureProfile(gbk(folder));
    setKey(folder, "对接参数", "社区类型", "0");
    setKey(folder, "亿乐社区", "地址", yile_.baseUrl());
    setKey(folder, "亿乐社区", "商品id", "77");
    setKey(folder, "亿乐社区", "账号", "alice");
    setKey(folder, "亿乐社区", "密码", "secret");
  }
  void setKey(const std::string& folder, const std::string& section, const std::string& key,
              const std::string& gbkValue) {
    config::WriteValue(config::ProfilePath(gbk(folder)), gbk(section), gbk(key), gbkValue);
  }

  void deliver(int32_t kind, const std::string& group, const std::string& active, const std::string& passive,
               const std::string& gbkMessage = {}) {
    EXPECT_EQ(plugin_->event("10000", kind, 0, group.c_str(), active.c_str(), passive.c_str(), gbkMessage.c_str(),
                             "7", "8", "", "", 0),
              1);
  }

  std::string records(const std::string& folder, const std::string& utf8Name) const {
    return text::gbkToUtf8(fileBytes(config::RecordsPath(gbk(folder), gbk(utf8Name))));
  }
  std::string ledger() const { return text::gbkToUtf8(fileBytes(config::LedgerPath())); }
  // The order bodies the community stand-in received, in arrival order.
  std::vector<std::string> orderBodies() const {
    std::vector<std::string> out;
    for (const stubs::SiteOrder& o : yile_.orders()) out.push_back(o.body);
    return out;
  }
  static std::string orderBody(const std::string& qq, const std::string& amount) {
    return "api_user=alice&api_pwd=secret&goodsid=77&number=" + amount + "&uin=" + qq;
  }
  std::vector<std::string> actions() const { return events_test::actions(support::host()); }

  std::unique_ptr<support::LoadedPlugin> plugin_;
  stubs::YileSite yile_{"alice", "secret"};
  stubs::StubServer qq_;
  stubs::PortraitService portrait_{qq_};
  stubs::AvatarService avatar_{qq_};
  stubs::RecognitionService recognition_{qq_};
};

}  // namespace events_test
