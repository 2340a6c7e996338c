#include "text/search.h"

#include <gtest/gtest.h>

#include "text/gbk.h"
#include "text/text_between.h"

using namespace text;

TEST(Search, NeverMatchesInsideATwoByteCharacter) {
  const std::string s = gbk("乚") + "]x";  // 81 5D 5D 78
  EXPECT_EQ(findText(s, "]"), 2u);
  EXPECT_EQ(findText(gbk("乚"), "]"), npos);
  // "\x5D" inside 乚 must not be replaced either.
  EXPECT_EQ(replaceAll(s, "]", "!"), gbk("乚") + "!x");
  // 丂 is 81 40 ('@'); its trail must not match '@'.
  EXPECT_FALSE(containsText(gbk("丂"), "@"));
}

TEST(Search, IgnoreCaseFoldsAsciiOnly) {
  EXPECT_EQ(findTextIgnoreCase("xxABC", "abc"), 2u);
  EXPECT_TRUE(containsTextIgnoreCase(gbk("[入群qq名称]"), gbk("[入群QQ名称]")));
  // 乁 is 81 41 ('A'): folding must not turn its trail into 'a'.
  EXPECT_FALSE(containsTextIgnoreCase(gbk("乁"), "a"));
  EXPECT_EQ(replaceAllIgnoreCase("Set-Cookie: a; set-cookie: b", "set-cookie", "Set-Cookie"),
            "Set-Cookie: a; Set-Cookie: b");
  EXPECT_EQ(asciiLower(gbk("乁") + "AbC"), gbk("乁") + "abc");
  EXPECT_TRUE(startsWithIgnoreCase("HTTPS://x", "https://"));
}

TEST(Search, ReplaceAllScansLeftToRightWithoutRescanning) {
  EXPECT_EQ(replaceAll("aaa", "aa", "b"), "ba");
  EXPECT_EQ(replaceAll("a[换行]b", "[换行]", "[换行][换行]"), "a[换行][换行]b");
  EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
}

TEST(Search, SplitPieces) {
  struct Case {
    const char* text;
    std::vector<std::string> pieces;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a#b", {"a", "b"}},
      {"a#", {"a"}},         // empty last piece dropped
      {"#a", {"", "a"}},     // leading separator gives an empty first piece
      {"a##b", {"a", "", "b"}},
      {"#", {""}},
      {"##", {"", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(splitWordList(c.text), c.pieces) << c.text;
  EXPECT_EQ(splitPieces("a----b", "---"), (std::vector<std::string>{"a", "-b"}));
  EXPECT_EQ(splitPieces("a---b---c", "---"), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(TextBetween, Cases) {
  struct Case {
    std::string text, left, right, expected;
  } cases[] = {
      {R"({"code":0,"message":"ok"})", "\"code\":", ",\"message", "0"},
      {"abc", "x", "c", ""},
      {"abc", "a", "x", ""},
      {"a,\"小明\",x", ",\"", "\",", "小明"},
      {"k=\"v\"", "k=#引号", "#引号", "v"},       // the quote placeholder in both markers
      {"AbcAbc", "abc", "c", ""},                 // letter case significant
      {",\",", ",\"", "\",", ""},                 // right marker searched after the left one
  };
  for (const auto& c : cases)
    EXPECT_EQ(TextBetween(gbk(c.text), gbk(c.left), gbk(c.right)), gbk(c.expected)) << c.text;
  EXPECT_EQ(trimSpaces("  a b  "), "a b");
}
