#include "parse/unescape.h"

#include <gtest/gtest.h>

#include "text/gbk.h"

using parse::UnescapeText;
using text::gbk;

namespace {

struct Case {
  const char* name;
  std::string input, expected;
};

class UnescapeTable : public ::testing::TestWithParam<Case> {};

TEST_P(UnescapeTable, Decodes) { EXPECT_EQ(UnescapeText(GetParam().input), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Literal, UnescapeTable,
    ::testing::Values(
        Case{"UnicodeEscapes", "\\u4e2d\\u6587", gbk("中文")},
        Case{"UpperCaseHexDigits", "\\u4E2D", gbk("中")},
        Case{"JsonPassesThrough", R"({"code":1,"msg":"\u4e0b\u5355\u6210\u529f"})", gbk(R"({"code":1,"msg":"下单成功"})")},
        Case{"EscapedSlash", "a\\/b", "a/b"},
        Case{"PercentTwoHex", "x%20y", "x y"},
        Case{"LonePercentStays", "100%", "100%"},
        Case{"PercentNotFollowedByHex", "50%off %u12 %zz", "50%off %u12 %zz"},
        Case{"PercentHexIsLatin1Character", "caf%E9", gbk("café")},
        Case{"PercentUnicode", "%u4e2d%u6587", gbk("中文")},
        Case{"SurrogatePairCombinesThenSubstitute", "a\\ud83d\\ude00b", "a?b"},
        Case{"LoneSurrogateIsSubstitute", "a\\ud83db", "a?b"},
        Case{"Apostrophe", "It's", "It's"},
        Case{"ApostropheMarkInInput", gbk("It’s"), "It's"},
        Case{"CrLfSurvives", "a\r\nb\r\n", "a\r\nb\r\n"},
        Case{"LeadingCrRemoved", "\rabc", "abc"},
        Case{"LeadingCrLfKept", "\r\nabc", "\r\nabc"},
        Case{"LineBreakMarkInInputBecomesCrLf", "a{$}b", "a\r\nb"},
        Case{"Empty", "", ""},
        Case{"SimpleEscapes", "[\\t\\\"\\\\\\q]", "[\t\"\\q]"},
        Case{"HexNeedsTwoDigits", "\\x41\\x4", "Ax4"},
        Case{"LegacyOctal", "\\101\\400\\08", "A 0" + std::string(1, '\0') + "8"},
        // 乗 is 81 5C in GBK: its trail byte must not escape the "u" after it.
        Case{"TrailByteIsNoBackslash", gbk("乗") + "u4e2d", gbk("乗") + "u4e2d"},
        Case{"ChinesePassesThrough", gbk("名片赞 x"), gbk("名片赞 x")}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

// Texts that are not a valid literal keep only what their escapes encode.
INSTANTIATE_TEST_SUITE_P(
    Fallback, UnescapeTable,
    ::testing::Values(
        Case{"LineFeedDropsPlainText", "\\u4e2d\nabc", gbk("中")},
        Case{"LoneCrInside", "a\r%41\\u6587", "A" + gbk("文")},
        Case{"TrailingBackslash", "%u4e2d\\", gbk("中")},
        Case{"NoEscapesGivesNothing", "plain\ntext", ""},
        Case{"PercentSignsSurvive", "5%\n", "%"},
        Case{"UnicodeWithoutLeadingDigitGivesPercent", "%uabcd\n", "%"},
        Case{"UnicodeWithOnlyZerosGivesPercent", "%u00e9\n", "%"},
        Case{"UnicodeWithLeadingDigit", "%u0041\n", "A"},
        Case{"ShortUnicodeReadsTwoCharacters", "\n%u41", ""},
        Case{"EveryPercentOnItsOwn", "\n%%41", "A"},
        Case{"MarksGoWithThePlainText", "\n%41'\r\n", "A"}),
    [](const auto& testCase) { return std::string(testCase.param.name); });

TEST(Unescape, InvalidGbkNeverBreaksDecoding) {
  const std::string inputs[] = {std::string("\x81"), std::string("\xFF\\u4e2d"), std::string("a\x81\\"),
                                std::string("\\\x81\x5C"), std::string("%\xFF\xFF\n%u\x81\x40\x81")};
  for (const std::string& in : inputs) EXPECT_NO_THROW(UnescapeText(in));
  EXPECT_EQ(UnescapeText(std::string("\xFF\\u4e2d")), "?" + gbk("中"));
  // A stray lead byte before an apostrophe stays a substitute; it must not pair up with the mark
  // that protects the apostrophe and swallow it.
  EXPECT_EQ(UnescapeText(std::string("z\xA2'z")), "z?'z");
}

}  // namespace
