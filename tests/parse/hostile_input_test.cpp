// Inputs from web pages and replies that try to hang or crash the text services. Each must come
// back (ctest's timeout catches a hang) with a sound result.
#include <gtest/gtest.h>

#include "parse/json_object.h"
#include "parse/regex_matcher.h"
#include "parse/unescape.h"
#include "text/gbk.h"

namespace {

TEST(HostileRegex, CatastrophicBacktrackingEndsTheListWithoutFailing) {
  parse::RegexMatcher m;
  EXPECT_TRUE(m.Create("(a+)+$", std::string(30, 'a') + "b"));
  EXPECT_EQ(m.MatchCount(), 0);

  // Found matches before the expensive part are kept.
  EXPECT_TRUE(m.Create("x|(a+)+$", "xx" + std::string(30, 'a') + "b"));
  EXPECT_EQ(m.MatchCount(), 2);
}

TEST(HostileRegex, ManyStartPositionsEachJustBelowTheLimit) {
  // Runs of 15 letters: every start position stays under the per-search limit, so the bound on
  // the whole search is what keeps this short.
  std::string subject;
  for (int i = 0; i < 400; ++i) subject += std::string(15, 'a') + "b";
  parse::RegexMatcher m;
  EXPECT_TRUE(m.Create("(a+)+$", subject));
  EXPECT_EQ(m.MatchCount(), 0);
}

TEST(HostileRegex, LazyScansOverALargePage) {
  // Every "id=" starts a lazy scan to the one end marker, which then fails at the line feed: each
  // start position stays under the per-search limit, but they add up to about a billion steps.
  std::string page;
  for (int i = 0; i < 30000; ++i) page += "id=";
  page += "&goods_type=\nx";
  parse::RegexMatcher m;
  EXPECT_TRUE(m.Create("id=(.*?)&goods_type=(.*?)x", page));
  EXPECT_EQ(m.MatchCount(), 0);
}

TEST(HostileRegex, BoundsLeaveRealPagesWhole) {
  // A goods page of a few hundred kilobytes with the list pattern: every entry is found.
  std::string page;
  const int entries = 3000;
  for (int i = 0; i < entries; ++i)
    page += "<div class=\"item\"><a href=\"/buy.php?id=" + std::to_string(i) + "&goods_type=" + std::to_string(i % 7) +
            "\">" + text::gbk("名片赞") + std::to_string(i) + "</a><img alt=\"logo" + std::to_string(i) +
            "\" title=\"t\" src=\"/x.png\"></div>";  // one long line, as minified pages come
  parse::RegexMatcher m;
  const std::string pattern = text::gbk("id=(.*?)&goods_type=(.*?)#引号>|alt=#引号(.*?)#引号 title");
  ASSERT_TRUE(m.Create(pattern, page, false, false, true, true));
  ASSERT_EQ(m.MatchCount(), 2 * entries);
  EXPECT_EQ(m.SubmatchText(2 * entries - 1, 1), std::to_string(entries - 1));
  EXPECT_EQ(m.SubmatchText(2 * entries, 3), "logo" + std::to_string(entries - 1));
}

TEST(HostileRegex, InvalidGbkInPatternAndSubject) {
  const std::string junk("\x81\xFF\x80\x5C\x81", 5);
  parse::RegexMatcher m;
  EXPECT_TRUE(m.Create("a.b", "a" + junk + "b a\xFF" "b"));
  EXPECT_EQ(m.MatchCount(), 1);
  EXPECT_EQ(m.MatchText(1), "a?b");
  m.Create(junk, junk);  // may or may not compile; must not crash
  EXPECT_FALSE(m.Create("(\xFF", junk));
  EXPECT_EQ(m.Replace("$1"), junk);
}

TEST(HostileJson, DeepNestingIsRefused) {
  parse::JsonObject j;
  EXPECT_FALSE(j.Parse(std::string(100000, '[') + std::string(100000, ']')));
  EXPECT_FALSE(j.Parse(std::string(100000, '[')));
  std::string objects;
  for (int i = 0; i < 50000; ++i) objects += "{\"a\":";
  EXPECT_FALSE(j.Parse(objects + "1" + std::string(50000, '}')));

  // Nesting within the bound reads, and survives copying and serialising.
  std::string deep = std::string(500, '[') + "7" + std::string(500, ']');
  ASSERT_TRUE(j.Parse(deep));
  EXPECT_EQ(j.ToJson(), deep);
  parse::JsonObject copy(j);
  std::string path;
  for (int i = 0; i < 500; ++i) path += "[0]";
  EXPECT_EQ(copy.PropertyText(path), "7");

  // Building deeper by hand stops where reading stops.
  for (int i = 0; i < 20; ++i) j.SetPropertyJson("x", j.ToJson());
  EXPECT_NO_THROW(j.ToJson());
}

TEST(HostileJson, ManyKeysAndLongTexts) {
  std::string many = "{";
  for (int i = 0; i < 100000; ++i) many += "\"k" + std::to_string(i) + "\":" + std::to_string(i) + ",";
  many += "\"end\":true}";
  parse::JsonObject j;
  ASSERT_TRUE(j.Parse(many));
  EXPECT_EQ(j.MemberCount(), 100001);
  EXPECT_EQ(j.PropertyText("k99999"), "99999");

  ASSERT_TRUE(j.Parse("[\"" + std::string(1 << 20, 'x') + "\"]"));
  EXPECT_EQ(j.PropertyText("[0]").size(), 1u << 20);
}

TEST(HostileUnescape, LongAndBrokenTexts) {
  std::string big;
  for (int i = 0; i < 20000; ++i) big += "\\u4e2d%41\\x41\\101";
  EXPECT_EQ(parse::UnescapeText(big).size(), 20000u * 5);
  big += "\n";
  EXPECT_EQ(parse::UnescapeText(big).size(), 20000u * 3);  // fallback: 中 and the one %41
  std::string junk;
  for (int i = 0; i < 256; ++i) junk += static_cast<char>(i);
  EXPECT_NO_THROW(parse::UnescapeText(junk + junk));
}

}  // namespace
