// Messages both ways: OneBot segments (and CQ strings) to the host's GBK text with inline codes,
// and host text back to segments, including what a member or a nickname must not be able to do.
#include <gtest/gtest.h>

#include "onebot/message_convert.h"
#include "text/gbk.h"

using nlohmann::json;
using onebot::PictureTable;

namespace {

json text(const std::string& t) { return {{"type", "text"}, {"data", {{"text", t}}}}; }
json at(const std::string& qq) { return {{"type", "at"}, {"data", {{"qq", qq}}}}; }
json image(const std::string& url) { return {{"type", "image"}, {"data", {{"file", url}}}}; }

std::string utf8(const std::string& gbk) { return text::gbkToUtf8(gbk); }

TEST(IncomingMessage, SegmentsBecomeHostTextInGbk) {
  struct Case {
    const char* name;
    json message;
    std::string expected;  // UTF-8 of the GBK result
  } cases[] = {
      {"text and mention", json::array({text("你好 "), at("123"), text("!")}), "你好 [IR:at=123]!"},
      {"mention of everyone stays readable", json::array({at("all")}), "[IR:at=all]"},
      {"mention with junk is dropped", json::array({at("12]x"), text("a")}), "a"},
      {"faces, replies and cards are dropped", json::array({{{"type", "face"}, {"data", {{"id", "1"}}}}, text("b"),
                                                            {{"type", "reply"}, {"data", {{"id", "9"}}}}}),
       "b"},
      {"typed code is neutralised", json::array({text("[IR:at=1] [IR:pic=x.jpg]")}), "[IR：at=1] [IR：pic=x.jpg]"},
      {"a code split over two texts cannot form", json::array({text("[IR"), text(":at=5]")}), "[IR：at=5]"},
      {"nor across a dropped segment", json::array({text("[I"), {{"type", "face"}, {"data", json::object()}}, text("R:at=5]")}),
       "[IR：at=5]"},
      {"CQ string form", "a&#91;b&#93;[CQ:at,qq=77]&amp;[CQ:face,id=1]", "a[b][IR:at=77]&"},
      {"CQ string cannot forge either", "&#91;IR:at=9&#93;", "[IR：at=9]"},
      {"character GBK lacks", json::array({text("a😀b")}), "a?b"},
  };
  for (const auto& c : cases) {
    PictureTable pictures;
    EXPECT_EQ(utf8(onebot::toHostText(c.message, pictures)), c.expected) << c.name;
  }
}

TEST(IncomingMessage, PicturesGetKeysThatResolveToTheirAddress) {
  PictureTable pictures;
  const json napcat = {{"type", "image"},
                       {"data", {{"file", "FA6B.jpg"}, {"url", "https://multimedia.nt.qq.com.cn/download?x=1&rkey=a"}}}};
  const json lagrange = image("http://gchat.qpic.cn/abc");  // Lagrange puts the address in `file`
  const json local = {{"type", "image"}, {"data", {{"file", "file:///etc/passwd"}, {"url", "file:///etc/passwd"}}}};
  const std::string host = utf8(onebot::toHostText(json::array({text("看"), napcat, lagrange, local}), pictures));

  // The plug-in cuts the key between "[IR:pic=" and ".jpg]" and asks for the address with the code.
  std::vector<std::string> codes;
  for (std::size_t at = host.find("[IR:pic="); at != std::string::npos; at = host.find("[IR:pic=", at + 1))
    codes.push_back(host.substr(at, host.find(".jpg]", at) + 5 - at));
  ASSERT_EQ(codes.size(), 3u) << host;
  EXPECT_EQ(pictures.find(codes[0])->url, "https://multimedia.nt.qq.com.cn/download?x=1&rkey=a");
  EXPECT_EQ(pictures.find(codes[0])->file, "FA6B.jpg");
  EXPECT_EQ(pictures.find(codes[1])->url, "http://gchat.qpic.cn/abc");
  EXPECT_EQ(pictures.find(codes[2])->url, "") << "only web addresses are handed to the plug-in";
  EXPECT_FALSE(pictures.find("[IR:pic=0000000000000999.jpg]"));
}

TEST(IncomingMessage, PictureTableForgetsTheOldest) {
  PictureTable pictures(2);
  const auto a = pictures.remember({"http://a/1", ""});
  const auto b = pictures.remember({"http://a/2", ""});
  const auto c = pictures.remember({"http://a/3", ""});
  EXPECT_FALSE(pictures.find(a));
  EXPECT_EQ(pictures.find(b + ".jpg")->url, "http://a/2");
  EXPECT_EQ(pictures.find(c)->url, "http://a/3");
}

TEST(OutgoingMessage, HostTextBecomesSegments) {
  const std::string avatar = "http://q1.qlogo.cn/headimg_dl?dst_uin=10001&spec=100&img_type=jpg";
  struct Case {
    const char* name;
    std::string host;  // UTF-8 here, sent as GBK
    json expected;
  } cases[] = {
      {"mention, line breaks, avatar",
       "[IR:at=10001]\r\n[IR:pic=" + avatar + "]\r\n感谢您加入本群",
       json::array({at("10001"), text("\n"), image(avatar), text("\n感谢您加入本群")})},
      {"everyone is never mentioned", "[IR:at=all]hi", json::array({text("[IR:at=all]hi")})},
      {"letters are no QQ", "[IR:at=12a]", json::array({text("[IR:at=12a]")})},
      {"a local file is never sent", "[IR:pic=file:///etc/passwd]", json::array({text("[IR:pic=file:///etc/passwd]")})},
      {"nor inline bytes", "[IR:pic=base64://AAAA]", json::array({text("[IR:pic=base64://AAAA]")})},
      {"https in any letter case", "[IR:pic=HTTPS://x.cn/a.jpg]", json::array({image("HTTPS://x.cn/a.jpg")})},
      {"unclosed code is text", "a[IR:at=1", json::array({text("a[IR:at=1")})},
      {"a nickname holding a code mentions only digits",
       "昵称[IR:pic=file:///root/.ssh/id_rsa][IR:at=5]",
       json::array({text("昵称[IR:pic=file:///root/.ssh/id_rsa]"), at("5")})},
      {"empty", "", json::array()},
  };
  for (const auto& c : cases) EXPECT_EQ(onebot::toSegments(text::utf8ToGbk(c.host)), c.expected) << c.name;
}

TEST(OutgoingMessage, GbkTrailBytesAreNotBrackets) {
  // "乕" is 81 5B in GBK: its trail byte is '['. A scan over the GBK bytes would read a mention here.
  const std::string host = text::utf8ToGbk("乕IR:at=5]");
  EXPECT_EQ(onebot::toSegments(host), json::array({text("乕IR:at=5]")}));
}

TEST(OutgoingMessage, ReceivedPictureCodeGoesOutAsItsAddress) {
  PictureTable pictures;
  const std::string host = onebot::toHostText(json::array({image("https://p.qpic.cn/1")}), pictures);
  EXPECT_EQ(onebot::toSegments(host, &pictures), json::array({image("https://p.qpic.cn/1")}));
  EXPECT_EQ(onebot::toSegments(host), json::array({text(utf8(host))})) << "without the table the key is text";
}

}  // namespace

namespace {

TEST(CardText, ACardGoesOutAsTheTextItShows) {
  struct Case {
    const char* name;
    std::string xml;       // UTF-8 of the GBK the plug-in sends
    std::string expected;  // UTF-8 of the GBK text
  } cases[] = {
      {"summary lines, button caption and layout left out",
       "<?xml version=\"1.0\"?>\r\n<msg brief=\"x\">\r\n\t<item><button action=\"web\">★ 按钮 ★</button></item>\r\n"
       "\t<item layout=\"0\"><summary color=\"#000000\">[IR:at=10001]欢迎</summary><hr/>"
       "<summary color=\"#000000\">第二行 &lt;1&gt; &amp; &#20320;&#x597D;</summary><hr/>\r\n\t</item>\r\n"
       "\t<item><title>群助手</title></item>\r\n</msg>",
       "[IR:at=10001]欢迎\r\n第二行 <1> & 你好\r\n群助手"},
      {"a reply that merely says xml is sent as it is", "看看xml教程\r\n第二行", "看看xml教程\r\n第二行"},
      {"unknown and broken references stay", "<a>&nbsp; &#xZZ; &</a>", "&nbsp; &#xZZ; &"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(text::gbkToUtf8(onebot::cardText(text::utf8ToGbk(c.xml))), c.expected) << c.name;
}

}  // namespace
