#include "events/keyword_reply.h"

#include "config/ini_file.h"
#include "event_fixture.h"

namespace events_test {
namespace {

struct KeywordCase {
  const char* name;
  const char* mode;  // nullptr: key absent
  const char* library;
  const char* message;
  const char* reply;  // nullptr: nothing is sent
};

void PrintTo(const KeywordCase& c, std::ostream* os) { *os << c.name; }

class KeywordTest : public EventTest, public ::testing::WithParamInterface<KeywordCase> {};

TEST_P(KeywordTest, Answers) {
  const KeywordCase& c = GetParam();
  if (c.mode) setKey(kGroup, "关键词回复", "消息匹配模式", c.mode);
  setKey(kGroup, "关键词回复", "词库", gbk(c.library));

  events::replyToKeyword(event(2, "10001", "", gbk(c.message)), groupProfile());
  std::vector<std::string> expected;
  if (c.reply) expected.push_back("SendMsg(10000|2|20002|10001|" + std::string(c.reply) + "|0)");
  EXPECT_EQ(actions(), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Libraries, KeywordTest,
    ::testing::Values(
        KeywordCase{"ExactEqual", "0", "你好---欢迎", "你好", "欢迎"},
        KeywordCase{"ExactLonger", "0", "你好---欢迎", "你好啊", nullptr},
        KeywordCase{"ExactLeadingBlank", "0", "你好---欢迎", " 你好", nullptr},
        KeywordCase{"ExactIsTheFallbackMode", nullptr, "你好---欢迎", "你好", "欢迎"},
        KeywordCase{"ExactCaseSensitive", "0", "abc---x", "ABC", nullptr},
        KeywordCase{"ExactLaterEntry", "0", "早---早安[换行]你好---欢迎[换行]", "你好", "欢迎"},
        KeywordCase{"FuzzyContained", "1", "你好---欢迎", "大家你好啊", "欢迎"},
        KeywordCase{"FuzzyNotContained", "1", "你好---欢迎", "您好", nullptr},
        KeywordCase{"FuzzyCaseSensitive", "1", "abc---x", "xABCx", nullptr},
        KeywordCase{"OtherModeAnswersNothing", "2", "你好---欢迎", "你好", nullptr},
        KeywordCase{"FurtherPiecesIgnored", "0", "a---b---c", "a", "b"},
        KeywordCase{"FourHyphens", "0", "a----b", "a", "-b"},
        KeywordCase{"FirstOfTwoEqualKeywordsWins", "1", "hi---one[换行]hi---two", "hi", "one"},
        KeywordCase{"SlashNIsALineBreak", "0", "k---第一行[/n]第二行", "k", "第一行\r\n第二行"},
        KeywordCase{"BackslashNIsNot", "0", "k---第一行[\\n]第二行", "k", "第一行[\\n]第二行"},
        KeywordCase{"RepliesAreNotExpanded", "0", "k---[现在时间]", "k", "[现在时间]"},
        KeywordCase{"EmptyReplyBetweenSeparators", "0", "a------b", "a", ""},
        KeywordCase{"FuzzyEmptyKeywordCatchesAll", "1", "你好---欢迎[换行]---广告", "随便", "广告"},
        KeywordCase{"FuzzyEarlierEntryBeatsCatchAll", "1", "你好---欢迎[换行]---广告", "你好", "欢迎"},
        KeywordCase{"FuzzyEmptyMessage", "1", "---广告", "", nullptr},
        // Entries that cannot give a keyword and a reply are passed over.
        KeywordCase{"BlankEntrySkipped", "1", "x---1[换行][换行]你好---欢迎", "你好", "欢迎"},
        KeywordCase{"EntryWithoutSeparatorSkipped", "1", "你好[换行]你好---欢迎", "你好", "欢迎"},
        KeywordCase{"EntryWithoutReplySkipped", "0", "你好---[换行]你好---欢迎", "你好", "欢迎"},
        KeywordCase{"OnlyEntryWithoutReply", "1", "你好---", "你好", nullptr},
        KeywordCase{"EmptyLibrary", "1", "", "你好", nullptr}),
    [](const ::testing::TestParamInfo<KeywordCase>& testCase) { return std::string(testCase.param.name); });

using KeywordSendingTest = EventTest;

TEST_F(KeywordSendingTest, AReplyHoldingXmlGoesOutUnchangedAsXml) {
  setKey(kGroup, "关键词回复", "消息匹配模式", "0");
  setKey(kGroup, "关键词回复", "词库", gbk("卡片---<?xml version='1.0'?><msg>hi</msg>"));
  setKey(kGroup, "软件参数", "xml", gbk("假"));
  events::replyToKeyword(event(2, "10001", "", gbk("卡片")), groupProfile());
  EXPECT_EQ(actions(), std::vector<std::string>{"SendXML(10000|1|2|20002|10001|<?xml version='1.0'?><msg>hi</msg>|2)"});
}

TEST_F(KeywordSendingTest, TheXmlSwitchTurnsTheReplyIntoACard) {
  setKey(kGroup, "关键词回复", "消息匹配模式", "1");
  setKey(kGroup, "关键词回复", "词库", gbk("你好---第一行[/n][/n]第二行"));
  setKey(kGroup, "软件参数", "xml", gbk("真"));
  config::writeWholeFile(config::CardTemplatePath(), gbk("<card>[内容]</card>"));
  events::replyToKeyword(event(2, "10001", "", gbk("你好")), groupProfile());

  const auto calls = host_->calls();
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].function, "Api_SendXML");
  EXPECT_EQ(calls[0].args[3], kGroup);
  EXPECT_EQ(calls[0].args[4], "10001");
  const std::string& card = calls[0].args[5];
  EXPECT_EQ(card.rfind("<card><summary color=", 0), 0u) << card;
  EXPECT_NE(card.find(gbk(">第一行</summary><hr/><summary color=")), std::string::npos) << card;
  EXPECT_NE(card.find(gbk(">第二行</summary><hr/></card>")), std::string::npos) << card;
}

}  // namespace
}  // namespace events_test
