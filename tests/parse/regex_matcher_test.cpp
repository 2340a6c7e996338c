#include "parse/regex_matcher.h"

#include <gtest/gtest.h>

#include "text/gbk.h"

using parse::RegexMatcher;
using text::gbk;

namespace {

struct Options {
  bool caseSignificant = false, multiLine = true, global = true, placeholder = false;
};

struct MatchCase {
  const char* name;
  std::string pattern, subject;
  Options options;
  int count;
  std::vector<std::string> firstGroups;  // groups of match 1, when there is one
};

class RegexMatchTable : public ::testing::TestWithParam<MatchCase> {};

TEST_P(RegexMatchTable, CountsMatchesAndReadsGroups) {
  const MatchCase& c = GetParam();
  RegexMatcher m;
  const Options& o = c.options;
  ASSERT_TRUE(m.Create(c.pattern, c.subject, o.caseSignificant, o.multiLine, o.global, o.placeholder));
  EXPECT_EQ(m.MatchCount(), c.count);
  for (size_t g = 0; g < c.firstGroups.size(); ++g)
    EXPECT_EQ(m.SubmatchText(1, static_cast<int>(g) + 1), c.firstGroups[g]) << "group " << g + 1;
}

const Options kDefaults;
const Options kGlobalOff{false, true, false, false};
const Options kSingleLine{false, false, true, false};
const Options kCaseSignificant{true, true, true, false};
const Options kPlaceholder{false, true, true, true};

INSTANTIATE_TEST_SUITE_P(
    Cases, RegexMatchTable,
    ::testing::Values(
        MatchCase{"OptionalGroupUnsetIsEmpty", "a(b)?c", "ac abc", kDefaults, 2, {""}},
        MatchCase{"GlobalOffStopsAtFirst", "a(b)?c", "ac abc", kGlobalOff, 1, {""}},
        MatchCase{"CaretAfterCrLfMultiLine", "^x", "a\r\nx", kDefaults, 1, {}},
        MatchCase{"CaretAfterCrLfSingleLine", "^x", "a\r\nx", kSingleLine, 0, {}},
        MatchCase{"CaretNotAfterLoneCr", "^x", "a\rx", kDefaults, 0, {}},
        MatchCase{"DollarOnlyAtVeryEndSingleLine", "a$", "a\n", kSingleLine, 0, {}},
        MatchCase{"DollarBeforeLfMultiLine", "a$", "a\nb", kDefaults, 1, {}},
        MatchCase{"CaseIgnoredByDefault", "ABC", "abc", kDefaults, 1, {}},
        MatchCase{"CaseSignificant", "ABC", "abc", kCaseSignificant, 0, {}},
        MatchCase{"PlaceholderOn", gbk("alt=#引号(.*?)#引号"), "alt=\"logo\"", kPlaceholder, 1, {"logo"}},
        MatchCase{"PlaceholderOffNeedsLiteralPlaceholder", gbk("alt=#引号(.*?)#引号"), "alt=\"logo\"", kDefaults, 0, {}},
        MatchCase{"PlaceholderOffMatchesPlaceholderText", gbk("alt=#引号(.*?)#引号"), gbk("alt=#引号logo#引号"),
                  kDefaults, 1, {"logo"}},
        MatchCase{"DotStopsAtLf", "a.b", "a\nb", kDefaults, 0, {}},
        MatchCase{"DotMatchesCr", "a.b", "a\rb", kDefaults, 1, {}},
        MatchCase{"EmptyClassNegatedMatchesLf", "a[^]b", "a\nb", kDefaults, 1, {}},
        MatchCase{"DotIsOneChineseCharacter", gbk("中(.)文"), gbk("中国文"), kDefaults, 1, {gbk("国")}},
        MatchCase{"EveryChineseCharacterOnce", "(.)", gbk("中文"), kDefaults, 2, {gbk("中")}},
        // 乚 is 81 5D: a byte-wise matcher would find "]" inside it.
        MatchCase{"TrailByteIsNoBracket", "\\]", gbk("乚乚"), kDefaults, 0, {}},
        MatchCase{"WordClassIsAscii", "\\w+", gbk("中a1_文"), kDefaults, 1, {}},
        MatchCase{"UnicodeEscape", "\\u4e2d", gbk("中"), kDefaults, 1, {}},
        MatchCase{"EmptyMatchesStepOneCharacter", "x*", gbk("中a"), kDefaults, 3, {}},
        MatchCase{"LookAhead", "a(?=b)", "ac ab", kDefaults, 1, {}},
        MatchCase{"NoMatchIsStillCreated", "zzz", "abc", kDefaults, 0, {}}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(RegexMatcher, AlternationBranchesLeaveOtherGroupsEmpty) {
  const std::string page = "<a href=\"buy?id=7&goods_type=3\"><img alt=\"logo\" title=\"t\">";
  RegexMatcher m;
  ASSERT_TRUE(m.Create(gbk("id=(.*?)&goods_type=(.*?)#引号>|alt=#引号(.*?)#引号 title"), page, false, true, true, true));
  ASSERT_EQ(m.MatchCount(), 2);
  EXPECT_EQ(m.SubmatchText(1, 1), "7");
  EXPECT_EQ(m.SubmatchText(1, 2), "3");
  EXPECT_EQ(m.SubmatchText(1, 3), "");
  EXPECT_EQ(m.SubmatchText(2, 1), "");
  EXPECT_EQ(m.SubmatchText(2, 3), "logo");
  EXPECT_EQ(m.SubmatchCount(), 3);
  EXPECT_EQ(m.PatternText(), "id=(.*?)&goods_type=(.*?)\">|alt=\"(.*?)\" title");
}

TEST(RegexMatcher, ResultsComeBackAsGbk) {
  RegexMatcher m;
  ASSERT_TRUE(m.Create(gbk("名称：(.+?)，"), gbk("名称：名片赞，名称：说说赞，")));
  ASSERT_EQ(m.MatchCount(), 2);
  EXPECT_EQ(m.SubmatchText(2, 1), gbk("说说赞"));
  EXPECT_EQ(m.MatchText(1), gbk("名称：名片赞，"));
}

TEST(RegexMatcher, OutOfRangeNumbersGiveEmptyText) {
  RegexMatcher m;
  ASSERT_TRUE(m.Create("a(b)?c", "ac abc"));
  for (auto [match, group] : {std::pair{5, 1}, {0, 1}, {1, 0}, {1, 2}, {-1, -1}})
    EXPECT_EQ(m.SubmatchText(match, group), "") << match << "," << group;
  EXPECT_EQ(m.MatchText(3), "");
}

TEST(RegexMatcher, InvalidPatternFailsAndClearsEarlierMatches) {
  RegexMatcher m;
  EXPECT_EQ(m.PatternText(), "");
  ASSERT_TRUE(m.Create("a", "aaa"));
  ASSERT_EQ(m.MatchCount(), 3);
  for (const char* bad : {"(ab", "a{2,1}", "[b", "*a"}) {
    EXPECT_FALSE(m.Create(bad, "ab")) << bad;
    EXPECT_EQ(m.MatchCount(), 0);
    EXPECT_EQ(m.SubmatchText(1, 1), "");
    EXPECT_EQ(m.SubmatchCount(), 0);
  }
}

TEST(RegexMatcher, Replace) {
  struct Case {
    std::string pattern, subject, replacement;
    bool global;
    std::string expected;
  };
  const Case cases[] = {
      {"(\\w)@(\\w)", "x@y z@w", "$2#$1", true, "y#x w#z"},
      {"(\\w)@(\\w)", "x@y z@w", "$2#$1", false, "y#x z@w"},
      {"b", "abc", "[$&|$`|$']", true, "a[b|a|c]c"},
      {"b", "abc", "$$ $0 $9 $", true, "a$ $0 $9 $c"},
      {"(a)(b)?", "a", "<$2$1$10>", true, "<aa0>"},  // unset group is empty; $10 is $1 then 0
      {"x*", "ab", "-", true, "-a-b-"},
      {gbk("文"), gbk("中文中文"), gbk("字"), true, gbk("中字中字")},
      {"zzz", "abc", "-", true, "abc"},
  };
  for (const Case& c : cases) {
    RegexMatcher m;
    ASSERT_TRUE(m.Create(c.pattern, c.subject, false, true, c.global));
    EXPECT_EQ(m.Replace(c.replacement), c.expected) << c.pattern << " / " << c.replacement;
  }
  RegexMatcher failed;
  EXPECT_FALSE(failed.Create("(", "abc"));
  EXPECT_EQ(failed.Replace("x"), "abc");
}

}  // namespace
