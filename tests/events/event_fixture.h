// In-process fixture for the event features: a fresh plug-in folder, the recording host installed
// as the host binding, a fixed clock (2024年3月5日14时7分9秒), and one loopback server carrying
// the portrait, avatar and text recognition stand-ins, wired in through the core file's 服务地址.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "config/plugin_dir.h"
#include "events/dispatch_event.h"
#include "config/profile_choice.h"
#include "hostapi/host_api.h"
#include "host_calls.h"
#include "stubs/qq_services.h"
#include "support/recording_host.h"
#include "text/date_text.h"
#include "text/gbk.h"

namespace events_test {

using text::gbk;

inline const std::string kRobot = "10000";
inline const std::string kGroup = "20002";

class EventTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/events-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    config::setPluginDir(root_ + "/");
    host_ = std::make_shared<support::RecordingHost>();
    hostapi::setHostApi(host_);
    text::setClockSource([] { return text::LocalTime{2024, 3, 5, 14, 7, 9}; });
    writeCore("服务地址", "昵称服务", qq_.baseUrl());
    writeCore("服务地址", "头像服务", qq_.baseUrl());
    writeCore("服务地址", "文字识别服务", qq_.baseUrl());
  }

  void TearDown() override {
    hostapi::setHostApi(nullptr);
    text::setClockSource({});
    std::filesystem::remove_all(root_);
  }

  void writeCore(const std::string& section, const std::string& key, const std::string& gbkValue) {
    config::WriteValue(config::CorePath(), gbk(section), gbk(key), gbkValue);
  }
  void setSharedSwitch(const std::string& utf8Value) { writeCore("软件参数", "是否所有群使用默认配置", gbk(utf8Value)); }

  // Writes a profile key (section and key in UTF-8, value GBK), creating the folder first.
  void setKey(const std::string& folder, const std::string& section, const std::string& key,
              const std::string& gbkValue) {
    config::makeFolder(config::FolderPath(folder));
    config::WriteValue(config::ProfilePath(folder), gbk(section), gbk(key), gbkValue);
  }

  static config::ProfileChoice groupProfile() { return {kGroup, false}; }
  static config::ProfileChoice sharedProfile() { return {config::defaultFolder(), true}; }

  static events::HostEvent event(int32_t kind, const std::string& active, const std::string& passive = {},
                                 const std::string& gbkMessage = {}) {
    events::HostEvent e;
    e.robotQQ = kRobot;
    e.kind = kind;
    e.group = kGroup;
    e.activeQQ = active;
    e.passiveQQ = passive;
    e.message = gbkMessage;
    e.messageNo = "7";
    e.messageId = "8";
    return e;
  }

  std::vector<std::string> actions() const { return events_test::actions(*host_); }

  std::string root_;
  std::shared_ptr<support::RecordingHost> host_;
  stubs::StubServer qq_;
  stubs::PortraitService portrait_{qq_};
  stubs::AvatarService avatar_{qq_};
  stubs::RecognitionService recognition_{qq_};
};

}  // namespace events_test
