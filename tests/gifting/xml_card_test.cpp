// Cards built from the template file "xml.txt".
#include <set>

#include "gifting/xml_card.h"
#include "gifting_fixture.h"
#include "text/search.h"

namespace gifting_test {
namespace {

using gifting::buildXmlCard;

const char* const kColours[] = {"#ff00de", "#DC267C", "#DC810C", "#000000", "#3300CC",
                                "#9900CC", "#CC0066", "#CCFF33", "#CC66CC", "#FF33FF"};

struct Summary {
  std::string colour, line;
};

// Splits a body of <summary color="X">line</summary><hr/> elements; fails the test on anything else.
std::vector<Summary> summariesOf(std::string body) {
  std::vector<Summary> out;
  const std::string open = "<summary color=\"", close = "</summary><hr/>";
  while (!body.empty()) {
    EXPECT_EQ(body.rfind(open, 0), 0u) << body;
    if (body.rfind(open, 0) != 0) break;
    const std::size_t quote = body.find("\">", open.size());
    const std::size_t end = body.find(close);
    if (quote == std::string::npos || end == std::string::npos) {
      ADD_FAILURE() << body;
      break;
    }
    out.push_back({body.substr(open.size(), quote - open.size()), body.substr(quote + 2, end - quote - 2)});
    body.erase(0, end + close.size());
  }
  return out;
}

class XmlCardTest : public GiftingTest {
 protected:
  void useTemplate(const std::string& text) { config::writeWholeFile(config::CardTemplatePath(), text); }
};

TEST_F(XmlCardTest, EachNonEmptyLineBecomesOneSummaryInOrder) {
  useTemplate(gbk("<a>[内容]</a>"));
  const std::string card = buildXmlCard("one\r\n\r\ntwo\r\nthree\r\n");
  ASSERT_EQ(card.rfind("<a>", 0), 0u);
  ASSERT_EQ(card.substr(card.size() - 4), "</a>");
  const auto summaries = summariesOf(card.substr(3, card.size() - 7));
  ASSERT_EQ(summaries.size(), 3u);
  EXPECT_EQ(summaries[0].line, "one");
  EXPECT_EQ(summaries[1].line, "two");
  EXPECT_EQ(summaries[2].line, "three");
  for (const Summary& s : summaries)
    EXPECT_NE(std::find(std::begin(kColours), std::end(kColours), s.colour), std::end(kColours)) << s.colour;
}

TEST_F(XmlCardTest, EveryColourOccursOverManyCards) {
  useTemplate(gbk("[内容]"));
  std::set<std::string> seen;
  for (int i = 0; i < 300 && seen.size() < 10; ++i)
    for (const Summary& s : summariesOf(buildXmlCard("line"))) seen.insert(s.colour);
  EXPECT_EQ(seen.size(), 10u);
}

TEST_F(XmlCardTest, EveryContentMarkerReceivesTheBody) {
  useTemplate(gbk("([内容]|[内容])"));
  const std::string card = buildXmlCard("hello");
  const std::size_t bar = card.find('|');
  ASSERT_NE(bar, std::string::npos);
  EXPECT_EQ(card.front(), '(');
  EXPECT_EQ(card.back(), ')');
  EXPECT_EQ(card.substr(1, bar - 1), card.substr(bar + 1, card.size() - bar - 2));
  EXPECT_EQ(summariesOf(card.substr(1, bar - 1)).size(), 1u);
}

TEST_F(XmlCardTest, LinesAreEscapedSoTheyCannotAddMarkup) {
  useTemplate(gbk("[内容]"));
  const auto summaries = summariesOf(buildXmlCard(gbk("<b>小&\"明'</summary>")));
  ASSERT_EQ(summaries.size(), 1u);
  EXPECT_EQ(summaries[0].line, gbk("&lt;b&gt;小&amp;&quot;明&apos;&lt;/summary&gt;"));
}

TEST_F(XmlCardTest, MissingTemplateOrMarker) {
  EXPECT_EQ(buildXmlCard("hello"), "");
  useTemplate(gbk("<fixed/>"));
  EXPECT_EQ(buildXmlCard("hello"), "<fixed/>");
  // The template is read on every card.
  useTemplate(gbk("[内容]!"));
  EXPECT_EQ(buildXmlCard("").back(), '!');
}

TEST_F(XmlCardTest, DefaultTemplateKeepsItsShape) {
  const std::string card = gifting::defaultCardTemplate();
  const auto lines = text::splitPieces(card, "\r\n");
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front(), "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>");
  EXPECT_EQ(lines[1], gbk("<msg flag=\"1\" templateID=\"0\" serviceID=\"33\" action=\"web\" brief=\"您有新的消息\">"));
  EXPECT_EQ(lines.back(), "</msg>");
  EXPECT_NE(card.substr(card.size() - 2), "\r\n");
  EXPECT_NE(card.find(gbk("\t<item layout=\"0\">[内容]\r\n\t\t<hr/>\r\n\t</item>")), std::string::npos);
  EXPECT_NE(card.find(gbk("<item bg=\"#4a00e0\" layout=\"3\">\r\n\t\t<button action=\"web\" url=\"")), std::string::npos);
  EXPECT_NE(card.find(gbk("★ 朔禾引流机器人 ★</button>")), std::string::npos);
  EXPECT_NE(card.find("\t<source name=\""), std::string::npos);
  EXPECT_NE(card.find("\" action=\"web\" appid=\"0\"/>\r\n</msg>"), std::string::npos);
  std::size_t pictures = 0;
  for (std::size_t p = card.find("/images-1/[1,36].jpg\"/>"); p != std::string::npos;
       p = card.find("/images-1/[1,36].jpg\"/>", p + 1))
    ++pictures;
  EXPECT_EQ(pictures, 2u);

  // Filled, it carries the body exactly once, in the layout-0 item.
  useTemplate(card);
  const std::string filled = buildXmlCard("hi");
  EXPECT_NE(filled.find("<item layout=\"0\"><summary color=\""), std::string::npos);
  EXPECT_EQ(filled.find(gbk("[内容]")), std::string::npos);
}

}  // namespace
}  // namespace gifting_test
