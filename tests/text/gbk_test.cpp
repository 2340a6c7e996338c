#include "text/gbk.h"

#include <gtest/gtest.h>

using namespace text;

TEST(Gbk, RoundTripsChineseAndAscii) {
  const std::string g = gbk("朔禾引流插件 abc");
  EXPECT_EQ(g.size(), 12u + 4u);
  EXPECT_EQ(gbkToUtf8(g), "朔禾引流插件 abc");
}

TEST(Gbk, InvalidBytesBecomeOneSubstituteEach) {
  // A, a lone lead byte, blank, B, an invalid byte, 中, a lead byte cut by the end.
  const std::string in("\x41\x81\x20\x42\xFF\xD6\xD0\x81", 8);
  EXPECT_EQ(gbkToUtf8(in), "A? B?中?");
}

TEST(Gbk, CharactersGbkLacksBecomeSubstitute) {
  EXPECT_EQ(utf8ToGbk("a😀b"), "a?b");
  EXPECT_EQ(utf8ToGbk("x\xC3y"), "x?y");  // invalid UTF-8
  EXPECT_EQ(utf8ToGbk("€"), std::string("\x80"));
}

TEST(Gbk, CharLengthAndBoundaries) {
  const std::string s = gbk("乚") + "]";  // 乚 is 81 5D: its trail byte looks like ']'
  ASSERT_EQ(s, std::string("\x81\x5D]"));
  EXPECT_EQ(gbkCharLength(s, 0), 2u);
  EXPECT_FALSE(isCharBoundary(s, 1));
  EXPECT_TRUE(isCharBoundary(s, 2));
}

TEST(Gbk, CharsetConversion) {
  bool known = false;
  EXPECT_EQ(charsetToGbk("中文", "UTF-8", &known), gbk("中文"));
  EXPECT_TRUE(known);
  EXPECT_EQ(charsetToGbk("abc", "no-such-charset", &known), "abc");
  EXPECT_FALSE(known);
}
