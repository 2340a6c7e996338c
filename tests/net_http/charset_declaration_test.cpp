// The charset declaration search: its edge cases by name, and the same result as the regular
// expression it replaces over many generated pages (the expression is the reference).
#include <gtest/gtest.h>

#include <random>

#include "net/charset_declaration.h"
#include "parse/regex_matcher.h"
#include "text/gbk.h"

namespace {

std::string byExpression(const std::string& page) {
  parse::RegexMatcher m;
  m.Create("<meta.+?charset=[^\\w]?([-\\w]+)", page.substr(0, 1024));
  return m.SubmatchText(1, 1);
}

TEST(DeclaredCharset, EdgeCasesOfThePattern) {
  const std::string zhong = text::gbk("中");
  struct Case {
    std::string name, page, charset;
  };
  const Case cases[] = {
      {"plain", "<meta charset=\"utf-8\">", "utf-8"},
      {"letter case kept", "<META http-equiv=\"Content-Type\" content=\"text/html; CHARSET=Big5\">", "Big5"},
      {"no page", "", ""},
      {"no tag", "charset=utf-8", ""},
      {"nothing between tag and charset", "<metacharset=utf-8>", ""},
      {"LF between", "<meta\ncharset=utf-8>", ""},
      {"CR between", "<meta\rcharset=utf-8>", "utf-8"},
      {"LF as the one character before the value", "<meta charset=\nutf-8>", "utf-8"},
      {"two characters before the value", "<meta charset=\"'utf-8>", ""},
      {"a lone dash", "<meta charset=->", "-"},
      {"dash taken as the one character", "<meta charset=--8>", "-8"},
      {"first declaration empty, second one counts", "<meta charset=\" \" charset=gbk>", "gbk"},
      {"second tag on a later line", "<meta name=x>\n<meta charset=koi8-r>", "koi8-r"},
      {"underscore and digits", "<meta charset=x_mac_1>", "x_mac_1"},
      // A two-byte character is one character: it may stand before the value.
      {"GBK character before the value", "<meta charset=" + zhong + "utf-8>", "utf-8"},
      // 81 63 is one character whose trail byte is "c": no "charset=" starts there.
      {"trail byte c", "<meta x\x81" "charset=utf-8>", ""},
      // A1 63 is no character: A1 decodes alone and "c" starts "charset=".
      {"lead byte without a character", "<meta x\xA1" "charset=utf-8>", "utf-8"},
      {"declaration cut at 1024 bytes", std::string(1008, ' ') + "<meta charset=utf-8>", "ut"},
      {"character cut at 1024 bytes", std::string(1009, ' ') + "<meta charset=" + zhong + "x", ""},
      {"declaration beyond 1024 bytes", std::string(1020, ' ') + "<meta charset=utf-8>", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(net::declaredCharset(c.page), c.charset) << c.name;
    EXPECT_EQ(byExpression(c.page), c.charset) << c.name << " (the expression itself)";
  }
}

TEST(DeclaredCharset, AgreesWithTheExpressionOnGeneratedPages) {
  // Pieces that meet the pattern's corners: tag and keyword in both cases, word, dash and other
  // characters, line ends, two-byte characters, lead bytes with and without a character after them.
  const std::vector<std::string> pieces = {
      "<meta", "<META", "<Meta ", "charset=", "CharSet=", "charset", "=", "-", "_", "a", "Z", "8", " ", "\"",
      "'", "\n", "\r", "<", ">", text::gbk("中"), "\x81", "\x81" "c", "\xA1", "\xA1" "c", "\xFF", "\x80", "?"};
  std::mt19937 random(20240611);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1), length(1, 24);
  int found = 0;
  for (int i = 0; i < 4000; ++i) {
    std::string page;
    for (std::size_t n = length(random); n > 0; --n) page += pieces[pick(random)];
    const std::string expected = byExpression(page);
    found += !expected.empty();
    ASSERT_EQ(net::declaredCharset(page), expected) << "page #" << i << ": " << page;
  }
  EXPECT_GT(found, 200);  // the generated pages do reach the declarations
}

}  // namespace
