// The nickname lookup and the image text check against the loopback stand-ins, with the service
// addresses read from a core file in a temporary plug-in folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "config/config_store.h"
#include "config/plugin_dir.h"
#include "net/image_text_check.h"
#include "net/nickname_lookup.h"
#include "stubs/qq_services.h"
#include "stubs/stub_server.h"
#include "text/gbk.h"

namespace {

class Services : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/net_services_XXXXXX";
    dir_ = mkdtemp(pattern);
    config::setPluginDir(dir_ + "/");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void setAddress(const char* key, const std::string& address) {
    config::WriteValue(config::CorePath(), text::gbk("服务地址"), text::gbk(key), address);
  }

  std::string dir_;
};

TEST_F(Services, NicknameComesFromThePortraitService) {
  stubs::StubServer server;
  stubs::PortraitService portrait(server);
  portrait.setNickname("10001", text::gbk("小明"));
  portrait.setNickname("10002", "cut\",here");  // a nickname holding quote-comma is cut there
  setAddress("昵称服务", server.baseUrl() + "/");  // a trailing "/" is not doubled

  EXPECT_EQ(net::NicknameLookup("10001"), text::gbk("小明"));
  EXPECT_EQ(net::NicknameLookup("10002"), "cut");
  EXPECT_EQ(net::NicknameLookup("10003"), "");
  const auto reqs = server.requests();
  ASSERT_EQ(reqs.size(), 3u);
  EXPECT_EQ(reqs[0].method, "GET");
  EXPECT_EQ(reqs[0].target, "/fcg-bin/cgi_get_portrait.fcg?uins=10001");
}

TEST_F(Services, NicknameOfAReplyWithoutMarkersIsEmpty) {
  stubs::StubServer server;
  stubs::StubAnswer plain;
  plain.body = "portraitCallBack({})";
  server.enqueue(plain);
  stubs::StubAnswer down;
  down.fault = stubs::Fault::Garbage;
  server.enqueue(down);
  setAddress("昵称服务", server.baseUrl());
  EXPECT_EQ(net::NicknameLookup("1"), "");
  EXPECT_EQ(net::NicknameLookup("1"), "");
}

TEST_F(Services, ImageCheckUploadsTheMultipartBodyByteForByte) {
  stubs::StubServer server;
  stubs::RecognitionService recognition(server);
  recognition.addTexts("PICTURE", {"加群", "A"});
  setAddress("文字识别服务", server.baseUrl());

  // The picture holds the placeholder's own bytes: they go out unchanged.
  const std::string picture = std::string("\xFF\xD8PICTURE", 9) + text::gbk("图片") + std::string("\x00\xFF\xD9", 3);
  EXPECT_EQ(net::ImageTextCheck(picture), "\r\n" + text::gbk("加群") + "\r\nA");

  const auto reqs = server.requests();
  ASSERT_EQ(reqs.size(), 1u);
  EXPECT_EQ(reqs[0].method, "POST");
  EXPECT_EQ(reqs[0].target, "/v2/ocr/json");
  EXPECT_EQ(reqs[0].body,
            "--2ac82af7-ef49-404b-8717-f4f9bd7e9f47\r\n"
            "Content-Disposition:form-data; name=\"pic\"; filename=\"1499218399351408d5c68463b2705.jpg\"\r\n"
            "Content-Type:image/pjpeg\r\n\r\n" +
                picture + "\r\n--2ac82af7-ef49-404b-8717-f4f9bd7e9f47--");
  EXPECT_EQ(reqs[0].rawHead,
            "POST /v2/ocr/json HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(server.port()) +
                "\r\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n"
                "Content-Type: multipart/form-data;boundary=2ac82af7-ef49-404b-8717-f4f9bd7e9f47\r\n"
                "Accept: */*\r\nReferer: " + server.baseUrl() + "/v2/ocr/json\r\nAccept-Language: zh-cn\r\n"
                "Content-Length: " + std::to_string(reqs[0].body.size()) + "\r\n");
}

TEST_F(Services, ImageCheckReadsOnlyTheResultContents) {
  stubs::StubServer server;
  setAddress("文字识别服务", server.baseUrl());
  struct Case {
    std::string reply, text;
  };
  const Case cases[] = {
      {"{\"result\":[]}", ""},
      {"<html>502 Bad Gateway</html>", ""},
      {"{\"other\":1}", ""},
      {"{\"result\":[{\"x\":1},{\"content\":\"B\"}]}", "\r\n\r\nB"},  // an entry without content
      {"{\"result\":[{\"content\":\"\xF0\x9F\x98\x80ok\"}]}", "\r\n?ok"},  // outside GBK
  };
  for (const auto& c : cases) {
    stubs::StubAnswer a;
    a.body = c.reply;
    server.enqueue(a);
    EXPECT_EQ(net::ImageTextCheck("pic"), c.text) << c.reply;
  }
}

TEST_F(Services, ImageCheckWithoutServiceSendsNothing) {
  stubs::StubServer server;
  stubs::RecognitionService recognition(server);
  recognition.addTexts("pic", {"text"});
  EXPECT_EQ(net::ImageTextCheck("pic"), "");  // no core file at all
  setAddress("文字识别服务", "");
  EXPECT_EQ(net::ImageTextCheck("pic"), "");  // an empty entry
  EXPECT_TRUE(server.requests().empty());
}

}  // namespace
