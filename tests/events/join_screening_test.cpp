#include "events/join_screening.h"

#include "event_fixture.h"

namespace events_test {
namespace {

struct Key {
  const char* section;
  const char* key;
  const char* value;
};

struct ScreenCase {
  const char* name;
  int32_t kind;
  std::vector<Key> keys;  // over the built-in profile
  int32_t level;
  const char* nickname;
  const char* signature;
  std::vector<std::string> expected;
};

const std::string kApproved = "HandleEvent(10000|213|10001|20002|10|)";
const std::string kLowLevel = "HandleEvent(10000|213|10001|20002|20|低等级)";
const std::string kBadName = "HandleEvent(10000|213|10001|20002|20|您的QQ名称带有违禁词)";
const std::string kBadSign = "HandleEvent(10000|213|10001|20002|20|您的QQ签名带有违禁词)";

const Key kLevelOn{"低等级", "是否开启", "真"};
Key limit(const char* v) { return {"低等级", "等级", v}; }
Key names(const char* v) { return {"QQ名字关键词", "QQ名字关键词", v}; }
Key signs(const char* v) { return {"QQ签名关键词", "QQ签名关键词", v}; }

void PrintTo(const ScreenCase& c, std::ostream* os) { *os << c.name; }

class ScreeningTest : public EventTest, public ::testing::WithParamInterface<ScreenCase> {};

TEST_P(ScreeningTest, AnswersOnce) {
  const ScreenCase& c = GetParam();
  config::EnsureProfile(kGroup);
  for (const Key& k : c.keys) setKey(kGroup, k.section, k.key, gbk(k.value));
  host_->setLevel("10001", c.level);
  host_->setSign("10001", gbk(c.signature));
  portrait_.setNickname("10001", gbk(c.nickname));

  events::screenJoinRequest(event(c.kind, "10001"), groupProfile());
  EXPECT_EQ(actions(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ScreeningTest,
    ::testing::Values(
        ScreenCase{"BuiltInApproves213", 213, {}, 1, "小明", "", {kApproved}},
        ScreenCase{"BuiltInApproves214", 214, {}, 1, "小明", "", {kApproved}},
        ScreenCase{"BuiltInApproves215", 215, {}, 1, "小明", "", {kApproved}},
        ScreenCase{"BuiltInLimitRefusesEveryone", 213, {kLevelOn}, 64, "小明", "", {kLowLevel}},
        ScreenCase{"LevelAboveLimit", 213, {kLevelOn, limit("20")}, 25, "小明", "", {kApproved}},
        ScreenCase{"LevelAtLimitWithinTolerance", 213, {kLevelOn, limit("25.00000005")}, 25, "小明", "", {kApproved}},
        ScreenCase{"LevelBelowLimit", 213, {kLevelOn, limit("20")}, 15, "小明", "", {kLowLevel}},
        ScreenCase{"LowLevelIsNotScreenedForWords", 213, {kLevelOn, limit("20"), names("小")}, 15, "小明", "",
                   {kLowLevel}},
        ScreenCase{"EmptyLimitLetsEveryLevelPass", 213, {kLevelOn, limit("")}, 0, "小明", "", {kApproved}},
        ScreenCase{"NonNumericLimitLetsEveryLevelPass", 213, {kLevelOn, limit("abc")}, 0, "小明", "", {kApproved}},
        ScreenCase{"LevelSwitchOtherTextAnswersNothing", 213, {{"低等级", "是否开启", "开"}}, 99, "小明", "", {}},
        ScreenCase{"ForbiddenNameRefuses213", 213, {names("广告#代刷")}, 1, "专业代刷", "", {kBadName}},
        ScreenCase{"ForbiddenNameIgnoredOn214", 214, {names("广告#代刷")}, 1, "专业代刷", "", {kApproved}},
        ScreenCase{"ForbiddenNameIgnoredOn215", 215, {names("广告#代刷")}, 1, "专业代刷", "", {kApproved}},
        ScreenCase{"NameIsCaseSensitive", 213, {names("ad")}, 1, "AD man", "", {kApproved}},
        ScreenCase{"ForbiddenSignatureRefuses213", 213, {signs("刷赞")}, 1, "小明", "专业刷赞", {kBadSign}},
        ScreenCase{"ForbiddenSignatureRefuses214", 214, {signs("刷赞")}, 1, "小明", "专业刷赞", {kBadSign}},
        ScreenCase{"ForbiddenSignatureRefuses215", 215, {names("代刷"), signs("刷赞")}, 1, "专业代刷", "专业刷赞",
                   {kBadSign}},
        ScreenCase{"NameRefusalComesBeforeSignature", 213, {names("代刷"), signs("刷赞")}, 1, "专业代刷", "专业刷赞",
                   {kBadName}},
        ScreenCase{"WordsScreenedWhenLevelPasses", 213, {kLevelOn, limit("20"), signs("刷赞")}, 30, "小明",
                   "刷赞", {kBadSign}},
        // A stray "#" gives an empty word, which matches nothing: only the real words count.
        ScreenCase{"LeadingHashRefusesNobody", 213, {names("#广告")}, 1, "小明", "", {kApproved}},
        ScreenCase{"LeadingHashKeepsTheRealWord", 213, {names("#广告")}, 1, "广告君", "", {kBadName}},
        ScreenCase{"DoubleHashKeepsLaterWords", 213, {names("广告##代刷")}, 1, "代刷王", "", {kBadName}},
        ScreenCase{"TrailingHashAddsNoWord", 213, {names("广告#"), signs("刷赞#")}, 1, "小明", "你好", {kApproved}},
        ScreenCase{"EmptyWordInSignatureListRefusesNobody", 213, {signs("#")}, 1, "小明", "你好", {kApproved}},
        // A failed lookup gives an empty name, which holds no word.
        ScreenCase{"UnknownNamePasses", 213, {names("广告")}, 1, "", "", {kApproved}}),
    [](const ::testing::TestParamInfo<ScreenCase>& testCase) { return std::string(testCase.param.name); });

using ScreeningWithoutProfile = EventTest;

TEST_F(ScreeningWithoutProfile, ApprovesEveryone) {
  events::screenJoinRequest(event(213, "10001"), groupProfile());
  EXPECT_EQ(actions(), std::vector<std::string>{kApproved});
}

}  // namespace
}  // namespace events_test
