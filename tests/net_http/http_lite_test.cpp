// HttpLite over real loopback HTTP, and the URL helpers it uses.
#include <gtest/gtest.h>

#include "net/http_lite.h"
#include "host_line.h"
#include "stubs/stub_server.h"

namespace {

using stubs::StubAnswer;
using stubs::StubServer;

const char kAgent[] = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\r\n";


TEST(UrlParts, HostPortAndPath) {
  struct Case {
    std::string url, host;
    int port;
    std::string path;
  };
  const Case cases[] = {
      {"HTTP://Example.COM:8080/a/B", "example.com", 8080, "/a/B"},
      {"example.com/x", "example.com", 80, "/x"},
      {"https://Secure.example.com/p?q=1#f", "secure.example.com", 443, "/p?q=1#f"},
      {"https://example.com:8443", "example.com", 8443, "/"},
      {"http://example.com", "example.com", 80, "/"},
      {"http://example.com:/x", "example.com", 0, "/x"},  // no digits after ":"
      {"127.0.0.1:9000/v2/ocr/json", "127.0.0.1", 9000, "/v2/ocr/json"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(net::UrlHost(c.url), c.host) << c.url;
    EXPECT_EQ(net::UrlPort(c.url), c.port) << c.url;
    EXPECT_EQ(net::UrlPath(c.url), c.path) << c.url;
  }
}

TEST(HttpLite, EmptyHeadersAreCompletedAndTheBodyFilledFromBody) {
  StubServer s;
  s.enqueue(stubs::answerWith("reply"));
  const std::string url = s.baseUrl() + "/v?k=1";
  std::string headers, bodyBytes;
  net::LiteRequest r;
  r.url = url;
  r.method = 1;
  r.body = "a=1";
  r.headers = &headers;
  r.bodyBytes = &bodyBytes;
  EXPECT_EQ(net::HttpLite(r), "reply");
  const std::string block = "Accept: */*\r\nReferer: " + url +
                            "\r\nAccept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded";
  EXPECT_EQ(headers, block);  // the caller sees the completed block
  EXPECT_EQ(bodyBytes, "a=1");
  const auto reqs = s.requests();
  ASSERT_EQ(reqs.size(), 1u);
  EXPECT_EQ(reqs[0].rawHead, "POST /v?k=1 HTTP/1.1\r\n" + hostLine(s) + kAgent + block + "\r\nContent-Length: 3\r\n");
  EXPECT_EQ(reqs[0].body, "a=1");
}

TEST(HttpLite, ACallersContentTypeStandsAndBodyBytesGoAsTheyAre) {
  StubServer s;
  s.enqueue(stubs::answerWith("ok"));
  const std::string url = s.baseUrl() + "/up";
  std::string headers = "Content-Type: multipart/form-data;boundary=2ac82af7-ef49-404b-8717-f4f9bd7e9f47";
  std::string bodyBytes("\x00\xff\r\nbytes", 9);
  net::LiteRequest r;
  r.url = url;
  r.method = 1;
  r.body = "ignored";
  r.headers = &headers;
  r.bodyBytes = &bodyBytes;
  net::HttpLite(r);
  const std::string block = "Content-Type: multipart/form-data;boundary=2ac82af7-ef49-404b-8717-f4f9bd7e9f47"
                            "\r\nAccept: */*\r\nReferer: " + url + "\r\nAccept-Language: zh-cn";
  EXPECT_EQ(headers, block);
  const auto reqs = s.requests();
  ASSERT_EQ(reqs.size(), 1u);
  EXPECT_EQ(reqs[0].rawHead, "POST /up HTTP/1.1\r\n" + hostLine(s) + kAgent + block + "\r\nContent-Length: 9\r\n");
  EXPECT_EQ(reqs[0].body, bodyBytes);
}

TEST(HttpLite, UnknownMethodsAreGetWithoutBody) {
  for (const int method : {0, 5, -2}) {
    StubServer s;
    s.enqueue(stubs::answerWith("ok"));
    std::string bodyBytes;
    net::LiteRequest r;
    r.url = s.baseUrl() + "/g";
    r.method = method;
    r.body = "a=1";
    r.bodyBytes = &bodyBytes;
    EXPECT_EQ(net::HttpLite(r), "ok");
    const auto reqs = s.requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].method, "GET") << method;
    EXPECT_EQ(reqs[0].body, "") << method;
    EXPECT_EQ(reqs[0].header("Content-Length"), "") << method;
    EXPECT_EQ(bodyBytes, "") << method;
  }
}

TEST(HttpLite, OneUserAgentGoesOutHoldingTheCallersValue) {
  for (const std::string line : {"User-Agent:  Bot/2.0 ", "user-agent: Bot/2.0"}) {
    StubServer s;
    s.enqueue(stubs::answerWith("ok"));
    std::string headers = "Accept: text/plain\r\n" + line + "\r\nX-After: 1";
    net::LiteRequest r;
    r.url = s.baseUrl() + "/";
    r.headers = &headers;
    net::HttpLite(r);
    const auto reqs = s.requests();
    ASSERT_EQ(reqs.size(), 1u);
    int agents = 0;
    for (const auto& [name, value] : reqs[0].headers) agents += name == "User-Agent" || name == "user-agent";
    EXPECT_EQ(agents, 1) << line;
    EXPECT_EQ(reqs[0].header("User-Agent"), "Bot/2.0") << line;
    EXPECT_EQ(reqs[0].header("X-After"), "1") << line;
    EXPECT_EQ(reqs[0].header("Accept"), "text/plain") << line;
  }
}

TEST(HttpLite, AHeadLongerThan5000BytesKeepsItsCookies) {
  StubServer s;
  s.enqueue(stubs::answerWith("ok", {{"X-Padding", std::string(6000, 'p')},
                          {"set-cookie", "late=1; path=/"},
                          {"Set-Cookie", "later=2"}}));
  std::string jar = "mine=0; late=old";
  net::LiteRequest r;
  r.url = s.baseUrl() + "/";
  r.cookies = &jar;
  net::LiteResponse out;
  EXPECT_EQ(net::HttpLite(r, &out), "ok");
  EXPECT_GT(out.responseHeaders.size(), 6000u);
  EXPECT_NE(out.responseHeaders.find("Set-Cookie: late=1; path=/\r\n"), std::string::npos);
  // With a jar, receivedCookies is the merged jar.
  EXPECT_EQ(jar, "late=1; later=2; mine=0");
  EXPECT_EQ(out.receivedCookies, jar);
  ASSERT_EQ(s.requests().size(), 1u);
  EXPECT_EQ(s.requests()[0].header("Cookie"), "mine=0; late=old");
}

TEST(HttpLite, WithoutAJarReceivedCookiesAreTheResponsesOwn) {
  StubServer s;
  s.enqueue(stubs::answerWith("ok", {{"Set-Cookie", "a=1; path=/"}, {"Set-Cookie", "b=2"}}));
  net::LiteRequest r;
  r.url = s.baseUrl() + "/";
  net::LiteResponse out;
  net::HttpLite(r, &out);
  EXPECT_EQ(out.receivedCookies, "a=1; b=2");
}

TEST(HttpLite, AJarThatHoldsItsOwnCookieNameIsSentAsItStands) {
  StubServer s;
  s.enqueue(stubs::answerWith("ok"));
  std::string jar = "Cookie: a=1";
  std::string headers;
  net::LiteRequest r;
  r.url = s.baseUrl() + "/";
  r.cookies = &jar;
  r.headers = &headers;
  net::HttpLite(r);
  EXPECT_NE(headers.find("\r\nCookie: a=1"), std::string::npos);
  EXPECT_EQ(headers.find("Cookie: Cookie:"), std::string::npos);
  ASSERT_EQ(s.requests().size(), 1u);
  EXPECT_EQ(s.requests()[0].header("Cookie"), "a=1");
}

TEST(HttpLite, RedirectsAreFollowedUnlessSwitchedOff) {
  StubServer s;
  s.enqueueRedirectChain({"/b"}, stubs::answerWith("end"));
  net::LiteRequest r;
  r.url = s.baseUrl() + "/a";
  EXPECT_EQ(net::HttpLite(r), "end");
  EXPECT_EQ(s.requests().size(), 2u);

  s.enqueueRedirectChain({"/b"}, stubs::answerWith("end"));
  r.noRedirect = true;
  net::LiteResponse out;
  EXPECT_EQ(net::HttpLite(r, &out), "moved");
  EXPECT_EQ(out.responseHeaders.rfind("HTTP/1.1 302 Found\r\n", 0), 0u);
}

TEST(HttpLite, ProxyReceivesTheAbsoluteTarget) {
  StubServer proxy;
  proxy.enqueue(stubs::answerWith("via proxy"));
  net::LiteRequest r;
  r.url = "http://service.invalid:8081/x";
  r.proxy = "127.0.0.1:" + std::to_string(proxy.port());
  EXPECT_EQ(net::HttpLite(r), "via proxy");
  ASSERT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(proxy.requests()[0].target, "http://service.invalid:8081/x");
}

TEST(HttpLite, FailuresGiveEmptyBytes) {
  // A cut body gives what arrived.
  StubServer s;
  StubAnswer cut = stubs::answerWith("abcdefgh");
  cut.fault = stubs::Fault::CloseMidBody;
  s.enqueue(cut);
  net::LiteRequest r;
  r.url = s.baseUrl() + "/";
  EXPECT_EQ(net::HttpLite(r), "abcd");

  // An address curl cannot take: nothing sent, the caller's texts untouched.
  std::string headers = "X: 1";
  net::LiteRequest bad;
  bad.url = "http://exa mple.com/";
  bad.headers = &headers;
  net::LiteResponse out;
  out.responseHeaders = "before";
  EXPECT_EQ(net::HttpLite(bad, &out), "");
  EXPECT_EQ(headers, "X: 1");
  EXPECT_EQ(out.responseHeaders, "before");
}

}  // namespace
