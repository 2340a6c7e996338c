#include "config/config_store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "config/ini_file.h"
#include "config/plugin_dir.h"
#include "temp_folder.h"
#include "text/gbk.h"

using namespace config;
using text::gbk;

namespace {

class ConfigStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = dir_.path() + "/plugin/";
    ASSERT_TRUE(makeFolder(dir_.path() + "/plugin"));
    setPluginDir(root_);
  }
  void writeSwitch(const std::string& utf8Value) {
    WriteValue(CorePath(), gbk("软件参数"), gbk("是否所有群使用默认配置"), gbk(utf8Value));
  }

  TempFolder dir_;
  std::string root_;
};

}  // namespace

TEST_F(ConfigStoreTest, Paths) {
  EXPECT_EQ(pluginDir(), root_);
  EXPECT_EQ(CorePath(), root_ + "核心配置.ini");
  EXPECT_EQ(FolderPath(defaultFolder()), root_ + "默认配置/");
  EXPECT_EQ(ProfilePath(defaultFolder()), root_ + "默认配置/机器人参数.ini");
  EXPECT_EQ(ProfilePath("123456"), root_ + "123456/机器人参数.ini");
  // A folder text from the host never leads out of the plug-in's folder.
  EXPECT_EQ(ProfilePath("../x"), root_ + ".._x/机器人参数.ini");
  EXPECT_EQ(FolderPath(".."), root_ + "_../");
  EXPECT_EQ(RecordsPath("/etc", text::gbk("入群账号.ini")), root_ + "_etc/入群账号.ini");
  EXPECT_EQ(RecordsPath("123456", gbk("入群账号.ini")), root_ + "123456/入群账号.ini");
  EXPECT_EQ(LedgerPath(), root_ + "/名片赞数量.ini");
  EXPECT_EQ(CardTemplatePath(), root_ + "/xml.txt");

  // The doubled separator of the ledger's path lands in PluginDir itself.
  WriteValue(LedgerPath(), "S", "k", "1");
  EXPECT_EQ(fileBytes(root_ + "名片赞数量.ini"), "[S]\r\nk=1\r\n");

  setPluginDir(dir_.path() + "/other");
  EXPECT_EQ(pluginDir(), dir_.path() + "/other/");
}

TEST_F(ConfigStoreTest, BuiltinProfileText) {
  const std::string& t = builtinProfileText();
  EXPECT_EQ(t.size(), 1327u);
  EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 36);  // 37 lines, CR LF between them only
  EXPECT_EQ(std::count(t.begin(), t.end(), '\r'), 36);
  EXPECT_EQ(t.rfind("\r\n\r\n"), std::string::npos);
  EXPECT_EQ(t.find(gbk("[关键词回复]\r\n消息匹配模式=1\r\n词库=朔禾---朔禾引流插件[/n]争做名片赞引流插件领军品牌\r\n")), 0u);
  EXPECT_NE(t.find(gbk("\r\n[群管系统]\r\n禁言关键词=\r\n是否开启群管=真\r\n关键词禁言时间=38\r\n")), std::string::npos);
  EXPECT_NE(t.find(gbk("\r\n重复入群=[@入群QQ号]\r\n小尾巴=\r\n[对接参数]\r\n社区类型=1\r\n")), std::string::npos);
  const std::string tail = gbk("\r\n[进群私聊]\r\n进群私聊=欢迎QQ号为[QQ]的玩家[网名]加入[群号]。祝你在本群玩的愉快。");
  ASSERT_GE(t.size(), tail.size());
  EXPECT_EQ(t.substr(t.size() - tail.size()), tail);
}

TEST_F(ConfigStoreTest, EnsureProfile) {
  // A fresh installation gets the built-in text byte for byte.
  EnsureProfile(defaultFolder());
  const std::string defaultPath = ProfilePath(defaultFolder());
  EXPECT_EQ(fileBytes(defaultPath), builtinProfileText());
  // 每日领取 is a key of two sections; each reads its own.
  EXPECT_EQ(ReadValue(defaultPath, gbk("名片赞数量"), gbk("每日领取")), "100");
  EXPECT_EQ(ReadValue(defaultPath, gbk("自定义话语"), gbk("小尾巴"), "FB"), "");
  EXPECT_EQ(ReadValue(defaultPath, gbk("进群私聊"), gbk("进群私聊")),
            gbk("欢迎QQ号为[QQ]的玩家[网名]加入[群号]。祝你在本群玩的愉快。"));

  // An edited default profile is kept, and a new group still starts from the built-in text.
  WriteValue(defaultPath, gbk("软件参数"), "xml", gbk("真"));
  const std::string edited = fileBytes(defaultPath);
  EnsureProfile(defaultFolder());
  EXPECT_EQ(fileBytes(defaultPath), edited);
  EnsureProfile("1001");
  EXPECT_EQ(fileBytes(ProfilePath("1001")), builtinProfileText());

  // An existing empty profile is not refilled; its reads give the fallbacks.
  ASSERT_TRUE(makeFolder(FolderPath("2002")));
  putBytes(ProfilePath("2002"), "");
  EnsureProfile("2002");
  EXPECT_EQ(fileBytes(ProfilePath("2002")), "");
  EXPECT_EQ(ReadValue(ProfilePath("2002"), gbk("对接参数"), gbk("社区类型"), "0"), "0");
}

TEST_F(ConfigStoreTest, EventProfileChoice) {
  struct Case {
    const char* what;
    bool write;
    std::string value;  // UTF-8
    SharedSwitch expected;
    bool shared;
    std::optional<std::string> folder;
  };
  const Case cases[] = {
      {"no core file", false, "", SharedSwitch::Absent, false, std::nullopt},
      {"真", true, "真", SharedSwitch::On, true, gbk("默认配置")},
      {"假", true, "假", SharedSwitch::Off, false, std::string("123")},
      {"empty", true, "", SharedSwitch::Other, false, std::nullopt},
      {"other text", true, "是", SharedSwitch::Other, false, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(CorePath().c_str());
    if (c.write) writeSwitch(c.value);
    EXPECT_EQ(readSharedSwitch(), c.expected);
    EXPECT_EQ(IsSharedMode(), c.shared);
    EXPECT_EQ(EventProfileFolder("123"), c.folder);
  }
  // The core file without the key.
  std::remove(CorePath().c_str());
  WriteValue(CorePath(), gbk("主人QQ"), gbk("主人QQ"), "10001");
  EXPECT_EQ(readSharedSwitch(), SharedSwitch::Absent);
}

TEST(WindowProfileFolder, ComparesWith1000) {
  const std::optional<std::string> none;
  const std::optional<std::string> byDefault = gbk("默认配置");
  const struct {
    const char* selection;
    std::optional<std::string> folder;
  } cases[] = {
      {"1", byDefault},       {"999", byDefault},      {"abc", byDefault},         {"", byDefault},
      {"-5", byDefault},      {"1000", none},          {"1000.00000001", none},    {"999.99999999", none},
      {"1001", "1001"},       {"123456789", "123456789"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WindowProfileFolder(c.selection), c.folder) << c.selection;
  }
}

TEST(LineMarkers, EncodeAndDecode) {
  const std::string marker = gbk("[换行]");
  const struct {
    std::string plain, stored;
  } both[] = {
      {"a\r\nb", "a" + marker + "b"},
      {"\r\n\r\n", marker + marker},
      {"a\rb\nc", "a\rb\nc"},  // a lone CR or LF is left as it is
      {"\n\r\n\r", "\n" + marker + "\r"},
      {gbk("朔禾"), gbk("朔禾")},
  };
  for (const auto& c : both) {
    EXPECT_EQ(EncodeLines(c.plain), c.stored);
    EXPECT_EQ(DecodeLines(c.stored), c.plain);
  }
  // A marker typed by the user becomes a line break on the next load.
  EXPECT_EQ(DecodeLines(EncodeLines("x" + marker + "y")), "x\r\ny");
}

TEST_F(ConfigStoreTest, ServiceAddresses) {
  EXPECT_EQ(serviceAddress(Service::Portrait), "http://r.qzone.qq.com");
  EXPECT_EQ(serviceAddress(Service::Avatar), "http://q1.qlogo.cn");
  EXPECT_EQ(serviceAddress(Service::TextRecognition), "");
  EXPECT_EQ(serviceAddress(Service::Update), "");

  const std::string section = gbk("服务地址");
  WriteValue(CorePath(), section, gbk("昵称服务"), "http://127.0.0.1:8080/");
  WriteValue(CorePath(), section, gbk("头像服务"), "");
  WriteValue(CorePath(), section, gbk("文字识别服务"), "http://127.0.0.1:8081");
  WriteValue(CorePath(), section, gbk("更新服务"), "http://127.0.0.1:8082/");
  EXPECT_EQ(serviceAddress(Service::Portrait), "http://127.0.0.1:8080");
  EXPECT_EQ(serviceAddress(Service::Avatar), "http://q1.qlogo.cn");
  EXPECT_EQ(serviceAddress(Service::TextRecognition), "http://127.0.0.1:8081");
  EXPECT_EQ(serviceAddress(Service::Update), "http://127.0.0.1:8082");
}
