#include "events/moderation.h"

#include "event_fixture.h"

namespace events_test {
namespace {

struct Key {
  const char* section;
  const char* key;
  const char* value;
};

const Key kOn{"群管系统", "是否开启群管", "真"};
const Key kWithdraw{"群管系统", "是否撤回消息", "真"};
const Key kKick{"软件参数", "是否踢出广告", "真"};
Key words(const char* v) { return {"群管系统", "禁言关键词", v}; }
Key minutes(const char* v) { return {"群管系统", "关键词禁言时间", v}; }
Key whitelist(const char* v) { return {"群管系统", "QQ白名单", v}; }

std::string ban(const std::string& qq, int seconds) {
  return "ShutUP(10000|20002|" + qq + "|" + std::to_string(seconds) + ")";
}
std::string textBanNotice(const std::string& qq, const std::string& word, const std::string& minutes) {
  return "SendMsg(10000|2|20002|" + qq + "|[IR:at=" + qq + "]\r\n因为您发送了违禁词[" + word + "]\r\n为此禁言您" +
         minutes + "分钟|0)";
}
std::string textKickNotice(const std::string& qq, const std::string& word) {
  return "SendMsg(10000|2|20002|" + qq + "|[IR:at=" + qq + "]\r\n因为您发送了违禁词[" + word +
         "]\r\n为此已将该用户移除本群！|0)";
}
std::string pictureBanNotice(const std::string& qq, const std::string& word, const std::string& minutes) {
  return "SendMsg(10000|2|20002|" + qq + "|[IR:at=" + qq + "]\r\n因为您的图片包含违禁词[" + word +
         "]\r\n为此禁言您" + minutes + "分钟|0)";
}
std::string pictureKickNotice(const std::string& qq, const std::string& word) {
  return "SendMsg(10000|2|20002|" + qq + "|[IR:at=" + qq + "]\r\n因为您的图片包含违禁词[" + word +
         "]\r\n为此已将该用户移除本群！|0)";
}
std::string kick(const std::string& qq) { return "KickGroupMBR(10000|20002|" + qq + "|0)"; }
const std::string kWithdrawn = "WithdrawMsg(10000|20002|7|8)";

struct WordCase {
  const char* name;
  bool shared;
  std::vector<Key> keys;
  const char* sender;
  const char* message;
  std::vector<std::string> expected;
};

void PrintTo(const WordCase& c, std::ostream* os) { *os << c.name; }

class ForbiddenWordTest : public EventTest, public ::testing::WithParamInterface<WordCase> {};

TEST_P(ForbiddenWordTest, Punishes) {
  const WordCase& c = GetParam();
  const config::ProfileChoice profile = c.shared ? sharedProfile() : groupProfile();
  config::makeFolder(config::FolderPath(profile.folder));
  for (const Key& k : c.keys) setKey(profile.folder, k.section, k.key, gbk(k.value));

  events::checkForbiddenWords(event(2, c.sender, "", gbk(c.message)), profile);
  EXPECT_EQ(actions(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ForbiddenWordTest,
    ::testing::Values(
        WordCase{"ModerationSwitchAbsent", false, {words("代刷"), minutes("38")}, "10001", "出售代刷", {}},
        WordCase{"ModerationSwitchOff", false, {{"群管系统", "是否开启群管", "假"}, words("代刷")}, "10001", "代刷", {}},
        WordCase{"WhitelistedSender", false, {kOn, whitelist("123456"), words("代刷")}, "123456", "代刷", {}},
        // The whitelist is searched as one text, so a part of a listed number is exempt too.
        WordCase{"WhitelistIsASubstringSearch", false, {kOn, whitelist("123456"), words("代刷")}, "2345", "代刷", {}},
        WordCase{"SenderNotInWhitelist", false, {kOn, whitelist("123456"), words("代刷"), minutes("38")}, "10001",
                 "出售代刷", {ban("10001", 2280), textBanNotice("10001", "代刷", "38")}},
        WordCase{"NoForbiddenWord", false, {kOn, words("广告#代刷"), minutes("38")}, "10001", "大家好", {}},
        WordCase{"WordsAreCaseSensitive", false, {kOn, words("ad"), minutes("38")}, "10001", "AD", {}},
        WordCase{"BanThenWithdraw", false, {kOn, kWithdraw, words("广告#代刷"), minutes("38")}, "10001", "出售代刷",
                 {ban("10001", 2280), textBanNotice("10001", "代刷", "38"), kWithdrawn}},
        WordCase{"RemovalInsteadOfBan", false, {kOn, kKick, words("广告#代刷"), minutes("38")}, "10001", "出售代刷",
                 {kick("10001"), textKickNotice("10001", "代刷")}},
        WordCase{"WithdrawBeforeRemoval", false, {kOn, kKick, kWithdraw, words("代刷"), minutes("38")}, "10001",
                 "出售代刷", {kWithdrawn, kick("10001"), textKickNotice("10001", "代刷")}},
        WordCase{"PerGroupPunishesEveryWord", false, {kOn, words("广告#代刷"), minutes("38")}, "10001", "代刷广告",
                 {ban("10001", 2280), textBanNotice("10001", "广告", "38"), ban("10001", 2280),
                  textBanNotice("10001", "代刷", "38")}},
        WordCase{"SharedStopsAtTheFirstWord", true, {kOn, words("广告#代刷"), minutes("38")}, "10001", "代刷广告",
                 {ban("10001", 2280), textBanNotice("10001", "广告", "38")}},
        WordCase{"NonNumericMinutesBanForZero", false, {kOn, words("代刷"), minutes("abc")}, "10001", "代刷",
                 {ban("10001", 0), textBanNotice("10001", "代刷", "abc")}},
        WordCase{"FractionalMinutesAreCut", false, {kOn, words("代刷"), minutes("1.51")}, "10001", "代刷",
                 {ban("10001", 90), textBanNotice("10001", "代刷", "1.51")}},
        WordCase{"HugeMinutesStayInRange", false, {kOn, words("代刷"), minutes("1e30")}, "10001", "代刷",
                 {ban("10001", 2147483647), textBanNotice("10001", "代刷", "1e30")}},
        WordCase{"InlineCodesAreSearchedToo", false, {kOn, words("IR:at"), minutes("1")}, "10001", "[IR:at=3]hi",
                 {ban("10001", 60), textBanNotice("10001", "IR:at", "1")}},
        // A stray "#" gives an empty word, which matches nothing.
        WordCase{"LeadingHashPunishesNobody", false, {kOn, words("#广告"), minutes("38")}, "10001", "你好", {}},
        WordCase{"LeadingHashKeepsTheRealWord", false, {kOn, words("#广告"), minutes("38")}, "10001", "打广告",
                 {ban("10001", 2280), textBanNotice("10001", "广告", "38")}},
        WordCase{"DoubleHashKeepsLaterWords", false, {kOn, words("广告##代刷"), minutes("38")}, "10001", "代刷",
                 {ban("10001", 2280), textBanNotice("10001", "代刷", "38")}}),
    [](const ::testing::TestParamInfo<WordCase>& info) { return std::string(info.param.name); });

// Pictures: the host gives the address of the message's first picture, the avatar stand-in serves
// its bytes and the recognition stand-in reads text in it.
class PictureTextTest : public EventTest {
 protected:
  void SetUp() override {
    EventTest::SetUp();
    host_->setPicLink(gbk("[IR:pic={AB-12}.jpg]"), qq_.baseUrl() + "/headimg_dl?dst_uin=777&spec=100&img_type=jpg");
    recognition_.addTexts(stubs::AvatarService::pictureFor("777"), {"加我", "出售代刷"});
  }
  void configure(const std::string& folder, std::vector<Key> extra) {
    for (const Key& k : {kOn, Key{"群管系统", "是否开启图片文字检测", "真"}, words("广告#代刷#加我"), minutes("38")})
      setKey(folder, k.section, k.key, gbk(k.value));
    for (const Key& k : extra) setKey(folder, k.section, k.key, gbk(k.value));
  }
  std::vector<stubs::RecordedRequest> recognitionRequests() const {
    std::vector<stubs::RecordedRequest> out;
    for (const auto& r : qq_.requests())
      if (r.target == "/v2/ocr/json") out.push_back(r);
    return out;
  }
  const std::string message = gbk("看图[IR:pic={AB-12}.jpg]再看[IR:pic={CD-34}.jpg]");
};

TEST_F(PictureTextTest, PunishesTheFirstListedWordOfThePictureOnce) {
  configure(kGroup, {});
  events::checkPictureText(event(2, "10001", "", message), groupProfile());
  EXPECT_EQ(allCalls(*host_),
            (std::vector<std::string>{"GetPicLink(10000|1|20002|[IR:pic={AB-12}.jpg])", "OutPutLog(\r\n加我\r\n出售代刷)",
                                      ban("10001", 2280), pictureBanNotice("10001", "代刷", "38")}));
  ASSERT_EQ(recognitionRequests().size(), 1u);
  EXPECT_NE(recognitionRequests()[0].body.find(stubs::AvatarService::pictureFor("777")), std::string::npos);
}

TEST_F(PictureTextTest, SharedModeRemovesAndLogsToo) {
  configure(config::defaultFolder(), {kKick, kWithdraw});
  events::checkPictureText(event(2, "10001", "", message), sharedProfile());
  EXPECT_EQ(actions(), (std::vector<std::string>{"OutPutLog(\r\n加我\r\n出售代刷)", kWithdrawn, kick("10001"),
                                                 pictureKickNotice("10001", "代刷")}));
}

TEST_F(PictureTextTest, PictureAndTextAreEachPunished) {
  setSharedSwitch("假");
  configure(kGroup, {});
  events::moderateGroupMessage(event(2, "10001", "", message + gbk("出售代刷")));
  EXPECT_EQ(actions(), (std::vector<std::string>{"OutPutLog(\r\n加我\r\n出售代刷)", ban("10001", 2280),
                                                 pictureBanNotice("10001", "代刷", "38"), ban("10001", 2280),
                                                 textBanNotice("10001", "代刷", "38")}));
}

TEST_F(PictureTextTest, NoRequestWithoutAPictureOrWithTheCheckOff) {
  configure(kGroup, {});
  events::checkPictureText(event(2, "10001", "", gbk("出售代刷")), groupProfile());
  setKey(kGroup, "群管系统", "是否开启图片文字检测", gbk("假"));
  events::checkPictureText(event(2, "10001", "", message), groupProfile());
  setKey(kGroup, "群管系统", "是否开启图片文字检测", gbk("真"));
  setKey(kGroup, "群管系统", "QQ白名单", "10001");
  events::checkPictureText(event(2, "10001", "", message), groupProfile());
  EXPECT_EQ(allCalls(*host_), std::vector<std::string>{});
  EXPECT_TRUE(qq_.requests().empty());
}

TEST_F(PictureTextTest, AnUnknownPictureIsRecognisedAsNothing) {
  configure(kGroup, {});
  // No address from the host: nothing can be downloaded, so the service sees an empty picture.
  events::checkPictureText(event(2, "10001", "", gbk("[IR:pic={ZZ}.jpg]")), groupProfile());
  EXPECT_EQ(allCalls(*host_),
            (std::vector<std::string>{"GetPicLink(10000|1|20002|[IR:pic={ZZ}.jpg])", "OutPutLog()"}));
}

}  // namespace
}  // namespace events_test
