// HttpFetch over real loopback HTTP: the request bytes on the wire, the outputs, redirects, the
// proxy, the error texts and the charset conversion.
#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "net/http_fetch.h"
#include "host_line.h"
#include "stubs/stub_server.h"
#include "text/gbk.h"

namespace {

using stubs::Fault;
using stubs::StubAnswer;
using stubs::StubServer;

const std::string kDefaults =
    "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
    "Accept: text/html, application/xhtml+xml, */*\r\n"
    "Accept-Encoding: gbk, GB2312\r\n"
    "Accept-Language: zh-cn\r\n"
    "Content-Type: application/x-www-form-urlencoded\r\n"
    "Cache-Control: no-cache\r\n";


// A port on loopback that nothing listens on.
int closedPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

TEST(HttpFetch, GetSendsTheDefaultBlockAfterHost) {
  StubServer s;
  s.enqueue(stubs::answerWith("hello"));
  net::HttpRequest r;
  r.url = s.baseUrl() + "/a/b?x=1&y=2";
  net::HttpResponse out;
  EXPECT_EQ(net::HttpFetch(r, &out), "hello");
  const auto reqs = s.requests();
  ASSERT_EQ(reqs.size(), 1u);
  EXPECT_EQ(reqs[0].rawHead, "GET /a/b?x=1&y=2 HTTP/1.1\r\n" + hostLine(s) + kDefaults);
  EXPECT_EQ(reqs[0].body, "");
  EXPECT_EQ(out.status, "200 OK");
  EXPECT_EQ(out.bodyBytes, "hello");
  EXPECT_EQ(out.responseHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\n");
}

TEST(HttpFetch, FormPostSendsItsBodyWithLength) {
  StubServer s;
  s.enqueue(stubs::answerWith("ok"));
  net::HttpRequest r;
  r.url = s.baseUrl();
  r.method = 1;
  r.body = "a=1&b=2";
  net::HttpFetch(r);
  const auto reqs = s.requests();
  ASSERT_EQ(reqs.size(), 1u);
  EXPECT_EQ(reqs[0].rawHead, "POST / HTTP/1.1\r\n" + hostLine(s) + kDefaults + "Content-Length: 7\r\n");
  EXPECT_EQ(reqs[0].body, "a=1&b=2");
}

TEST(HttpFetch, CallerLinesComeFirstAndSuppressTheirDefaults) {
  struct Case {
    std::string extra;
    std::string sent;  // the head after the Host line
  };
  const Case cases[] = {
      // User-Agent is searched ignoring letter case: the caller's line replaces the default.
      {"user-agent: Bot/1",
       "user-agent: Bot/1\r\n"
       "Accept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
       "Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\nCache-Control: no-cache\r\n"},
      // Content-Type is searched with its letter case: a lower-case line does not suppress the
      // default, which then replaces it (one header of a name goes out).
      {"content-type: text/plain",
       "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n"
       "Accept: text/html, application/xhtml+xml, */*\r\nAccept-Encoding: gbk, GB2312\r\n"
       "Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\nCache-Control: no-cache\r\n"},
      // Every default suppressed; curl's own Accept does not come back; a trailing CR LF of the
      // caller leaves no blank line.
      {"Accept: a/b\r\nUser-Agent: U\r\nAccept-Encoding: identity\r\nAccept-Language: en\r\n"
       "Content-Type: text/xml\r\nCache-Control: max-age=0\r\nX-Extra: 1\r\n",
       "Accept: a/b\r\nUser-Agent: U\r\nAccept-Encoding: identity\r\nAccept-Language: en\r\n"
       "Content-Type: text/xml\r\nCache-Control: max-age=0\r\nX-Extra: 1\r\n"},
      // A caller's Cookie line is sent as it is, even without a jar.
      {"Cookie: s=1", "Cookie: s=1\r\n" + kDefaults},
  };
  for (const auto& c : cases) {
    StubServer s;
    s.enqueue(stubs::answerWith("ok"));
    net::HttpRequest r;
    r.url = s.baseUrl() + "/";
    r.extraHeaders = c.extra;
    net::HttpFetch(r);
    const auto reqs = s.requests();
    ASSERT_EQ(reqs.size(), 1u);
    EXPECT_EQ(reqs[0].rawHead, "GET / HTTP/1.1\r\n" + hostLine(s) + c.sent) << c.extra;
  }
}

TEST(HttpFetch, CallersHostLineReplacesCurlsOwn) {
  StubServer s;
  s.enqueue(stubs::answerWith("ok"));
  net::HttpRequest r;
  r.url = s.baseUrl() + "/";
  r.extraHeaders = "Host: example.com";
  net::HttpFetch(r);
  const auto reqs = s.requests();
  ASSERT_EQ(reqs.size(), 1u);
  EXPECT_EQ(reqs[0].rawHead, "GET / HTTP/1.1\r\nHost: example.com\r\n" + kDefaults);
}

TEST(HttpFetch, MethodNumbersGiveTheirVerbs) {
  struct Case {
    int method;
    std::string body, verb, sentBody;
  };
  const Case cases[] = {
      {0, "", "GET", ""},       {2, "", "HEAD", ""},      {3, "k=v", "PUT", "k=v"},
      {7, "", "GET", ""},       {-1, "", "GET", ""},      {0, "q=1", "GET", "q=1"},
  };
  for (const auto& c : cases) {
    StubServer s;
    s.enqueue(stubs::answerWith("body"));
    net::HttpRequest r;
    r.url = s.baseUrl() + "/m";
    r.method = c.method;
    r.body = c.body;
    net::HttpResponse out;
    const std::string got = net::HttpFetch(r, &out);
    const auto reqs = s.requests();
    ASSERT_EQ(reqs.size(), 1u) << c.method;
    EXPECT_EQ(reqs[0].method, c.verb) << c.method;
    EXPECT_EQ(reqs[0].body, c.sentBody) << c.method;
    EXPECT_EQ(out.status, "200 OK") << c.method;
    EXPECT_EQ(got, c.verb == "HEAD" ? "" : "body") << c.method;
  }
}

TEST(HttpFetch, SetCookieInAnySpellingIsReadAndRewritten) {
  StubServer s;
  s.enqueue(stubs::answerWith("ok", {{"set-cookie", "a=1; path=/"}, {"Set-Cookie", "b=2"}, {"SET-COOKIE", " c=3 "}}));
  net::HttpRequest r;
  r.url = s.baseUrl();
  net::HttpResponse out;
  net::HttpFetch(r, &out);
  EXPECT_EQ(out.receivedCookies, "a=1; b=2; c=3");
  EXPECT_EQ(out.responseHeaders,
            "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\nSet-Cookie:  c=3 \r\n"
            "Content-Length: 2\r\n\r\n");
}

TEST(HttpFetch, JarIsSentInOneCookieLineAndMergedWithTheResponse) {
  StubServer s;
  s.enqueue(stubs::answerWith("ok", {{"Set-Cookie", "b=3; path=/"}, {"Set-Cookie", "x=deleted"}}));
  std::string jar = "x=9; b=1";
  net::HttpRequest r;
  r.url = s.baseUrl() + "/";
  r.cookies = &jar;
  net::HttpResponse out;
  net::HttpFetch(r, &out);
  const auto reqs = s.requests();
  ASSERT_EQ(reqs.size(), 1u);
  EXPECT_EQ(reqs[0].rawHead, "GET / HTTP/1.1\r\n" + hostLine(s) + "Cookie: x=9; b=1\r\n" + kDefaults);
  EXPECT_EQ(out.receivedCookies, "b=3; x=deleted");  // the response's own cookies only
  EXPECT_EQ(jar, "b=3");
}

TEST(HttpFetch, CookiesSetByARedirectTravelWithTheRedirectedRequest) {
  StubServer s;
  StubAnswer moved = stubs::redirectTo("/next");
  moved.headers.emplace_back("Set-Cookie", "sid=7; path=/");
  s.enqueue(moved);
  s.enqueue(stubs::answerWith("final", {{"Set-Cookie", "last=1"}}));
  std::string jar = "j=1";
  net::HttpRequest r;
  r.url = s.baseUrl() + "/start";
  r.cookies = &jar;
  net::HttpResponse out;
  EXPECT_EQ(net::HttpFetch(r, &out), "final");
  const auto reqs = s.requests();
  ASSERT_EQ(reqs.size(), 2u);
  int cookieLines = 0;
  for (const auto& [name, value] : reqs[1].headers) cookieLines += name == "Cookie";
  EXPECT_EQ(cookieLines, 1);
  EXPECT_EQ(reqs[1].header("Cookie"), "sid=7; j=1");
  // The outputs describe the final response.
  EXPECT_EQ(out.receivedCookies, "last=1");
  EXPECT_EQ(jar, "last=1; j=1");
}

TEST(HttpFetch, WithoutAJarNoCookieTravelsOnARedirect) {
  StubServer s;
  StubAnswer moved = stubs::redirectTo("/next");
  moved.headers.emplace_back("Set-Cookie", "sid=7");
  s.enqueue(moved);
  s.enqueue(stubs::answerWith("final"));
  net::HttpRequest r;
  r.url = s.baseUrl() + "/start";
  net::HttpFetch(r);
  const auto reqs = s.requests();
  ASSERT_EQ(reqs.size(), 2u);
  EXPECT_EQ(reqs[1].header("Cookie"), "");
}

TEST(HttpFetch, RedirectsAreFollowedToTheFinalResponse) {
  StubServer s;
  s.enqueueRedirectChain({"/one", s.baseUrl() + "/two"}, stubs::answerWith("arrived"));
  net::HttpRequest r;
  r.url = s.baseUrl() + "/start";
  r.method = 1;
  r.body = "a=1";
  net::HttpResponse out;
  out.location = "untouched";
  EXPECT_EQ(net::HttpFetch(r, &out), "arrived");
  const auto reqs = s.requests();
  ASSERT_EQ(reqs.size(), 3u);
  EXPECT_EQ(reqs[0].method, "POST");
  EXPECT_EQ(reqs[1].method, "GET");  // a 302 turns the POST into a GET
  EXPECT_EQ(reqs[1].target, "/one");
  EXPECT_EQ(reqs[2].target, "/two");
  EXPECT_EQ(out.status, "200 OK");
  EXPECT_EQ(out.location, "untouched");  // the final response has no Location line
  EXPECT_EQ(out.responseHeaders.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
}

TEST(HttpFetch, NoRedirectReturnsTheRedirectItself) {
  StubServer s;
  s.enqueue(stubs::redirectTo("/elsewhere?a=1 "));
  net::HttpRequest r;
  r.url = s.baseUrl() + "/start";
  r.noRedirect = true;
  net::HttpResponse out;
  EXPECT_EQ(net::HttpFetch(r, &out), "moved");
  EXPECT_EQ(s.requests().size(), 1u);
  EXPECT_EQ(out.status, "302 Found");
  EXPECT_EQ(out.location, "/elsewhere?a=1 ");  // the raw value
}

TEST(HttpFetch, MoreThanTenRedirectsIsNoAnswer) {
  StubServer s;
  s.on("", [](const stubs::RecordedRequest&) { return stubs::redirectTo("/again"); });
  net::HttpRequest r;
  r.url = s.baseUrl() + "/";
  net::HttpResponse out;
  EXPECT_EQ(net::HttpFetch(r, &out), "");
  EXPECT_EQ(out.status, text::gbk("712 服务器未响应!"));
  EXPECT_EQ(s.requests().size(), 11u);
}

TEST(HttpFetch, ProxyReceivesTheAbsoluteTargetAndCredentials) {
  for (const std::string form : {"", "http="}) {
    StubServer proxy;
    proxy.enqueue(stubs::answerWith("via proxy"));
    net::HttpRequest r;
    r.url = "http://service.invalid:8081/x?y=1";
    r.proxy = form + "127.0.0.1:" + std::to_string(proxy.port());
    r.proxyUser = "pu";
    r.proxyPassword = "p:w";
    r.user = "su";
    r.password = "sp";
    EXPECT_EQ(net::HttpFetch(r), "via proxy") << form;
    const auto reqs = proxy.requests();
    ASSERT_EQ(reqs.size(), 1u) << form;
    EXPECT_EQ(reqs[0].target, "http://service.invalid:8081/x?y=1");
    EXPECT_EQ(reqs[0].header("Host"), "service.invalid:8081");
    EXPECT_EQ(reqs[0].header("Proxy-Authorization"), "Basic cHU6cDp3");  // pu:p:w
    EXPECT_EQ(reqs[0].header("Authorization"), "Basic c3U6c3A=");       // su:sp
  }
}

TEST(HttpFetch, ASecureRequestAsksTheProxyForATunnel) {
  StubServer proxy;
  StubAnswer refused = stubs::answerWith("no");
  refused.status = 403;
  refused.reason = "Forbidden";
  proxy.enqueue(refused);
  net::HttpRequest r;
  r.url = "https://service.invalid/x";
  r.proxy = "127.0.0.1:" + std::to_string(proxy.port());
  r.proxyUser = "pu";
  r.proxyPassword = "pw";
  net::HttpResponse out;
  EXPECT_EQ(net::HttpFetch(r, &out), "");
  EXPECT_EQ(out.status, text::gbk("711 发送请求失败!"));  // the tunnel was refused
  const auto reqs = proxy.requests();
  ASSERT_EQ(reqs.size(), 1u);
  EXPECT_EQ(reqs[0].method, "CONNECT");
  EXPECT_EQ(reqs[0].target, "service.invalid:443");
  EXPECT_EQ(reqs[0].header("Proxy-Authorization"), "Basic cHU6cHc=");
}

TEST(HttpFetch, CredentialsNeedBothParts) {
  StubServer s;
  s.enqueue(stubs::answerWith("ok"));
  net::HttpRequest r;
  r.url = s.baseUrl();
  r.user = "only";
  r.proxyUser = "only";
  net::HttpFetch(r);
  ASSERT_EQ(s.requests().size(), 1u);
  EXPECT_EQ(s.requests()[0].header("Authorization"), "");
}

TEST(HttpFetch, FailuresGiveTheirTextAndEmptyResult) {
  StubServer s;
  struct Case {
    std::string name;
    std::string url;
    StubAnswer answer;
    bool queue;
    int timeoutSeconds;
    std::string status;
  };
  StubAnswer slow = stubs::answerWith("late");
  slow.fault = Fault::Delay;
  slow.delay = std::chrono::milliseconds(4000);
  StubAnswer garbage;
  garbage.fault = Fault::Garbage;
  const Case cases[] = {
      {"no scheme", "127.0.0.1/x", {}, false, 0, text::gbk("701 解析URL地址失败!")},
      {"other scheme", "ftp://127.0.0.1/x", {}, false, 0, text::gbk("701 解析URL地址失败!")},
      {"empty", "", {}, false, 0, text::gbk("701 解析URL地址失败!")},
      {"closed port", "http://127.0.0.1:" + std::to_string(closedPort()) + "/", {}, false, 0,
       text::gbk("711 发送请求失败!")},
      {"no answer in time", s.baseUrl() + "/slow", slow, true, 1, text::gbk("712 服务器未响应!")},
      {"not HTTP", s.baseUrl() + "/garbage", garbage, true, 0, text::gbk("712 服务器未响应!")},
  };
  for (const auto& c : cases) {
    if (c.queue) s.enqueue(c.answer);
    net::HttpRequest r;
    r.url = c.url;
    r.timeoutSeconds = c.timeoutSeconds;
    net::HttpResponse out;
    out.bodyBytes = "before";
    out.responseHeaders = "before";
    EXPECT_EQ(net::HttpFetch(r, &out), "") << c.name;
    EXPECT_EQ(out.status, c.status) << c.name;
    // A failed call leaves the other outputs as they were.
    EXPECT_EQ(out.bodyBytes, "before") << c.name;
    EXPECT_EQ(out.responseHeaders, "before") << c.name;
  }
}

TEST(HttpFetch, ABodyThatBreaksOffKeepsWhatArrivedAndSays713) {
  StubServer s;
  StubAnswer cut = stubs::answerWith(std::string(2000, 'x') + std::string(2000, 'y'), {{"Set-Cookie", "c=1"}});
  cut.fault = Fault::CloseMidBody;
  s.enqueue(cut);
  net::HttpRequest r;
  r.url = s.baseUrl();
  net::HttpResponse out;
  EXPECT_EQ(net::HttpFetch(r, &out), std::string(2000, 'x'));
  EXPECT_EQ(out.bodyBytes, std::string(2000, 'x'));
  EXPECT_EQ(out.status, text::gbk("713 读取数据失败!"));
  EXPECT_EQ(out.receivedCookies, "c=1");
}

TEST(HttpFetch, ASilentBodyEndsWith713AfterTheTimeout) {
  StubServer s;
  StubAnswer stall = stubs::answerWith("half.half.");
  stall.fault = Fault::StallMidBody;
  s.enqueue(stall);
  net::HttpRequest r;
  r.url = s.baseUrl();
  r.timeoutSeconds = 1;
  net::HttpResponse out;
  EXPECT_EQ(net::HttpFetch(r, &out), "half.");
  EXPECT_EQ(out.status, text::gbk("713 读取数据失败!"));
}

TEST(HttpFetch, ATenMegabyteBodyArrivesWhole) {
  StubServer s;
  StubAnswer huge = stubs::answerWith("0123456789");
  huge.fault = Fault::HugeBody;
  s.enqueue(huge);
  net::HttpRequest r;
  r.url = s.baseUrl();
  net::HttpResponse out;
  const std::string body = net::HttpFetch(r, &out);
  ASSERT_EQ(body.size(), 10u * 1024u * 1024u);
  EXPECT_EQ(body.substr(0, 20), "01234567890123456789");
  EXPECT_EQ(out.bodyBytes, body);
  EXPECT_EQ(out.status, "200 OK");
}

TEST(HttpFetch, ADeclaredCharsetIsConvertedToGbk) {
  const std::string utf8Page = "<html><head><meta charset=\"utf-8\"></head><body>中文</body></html>";
  const std::string utf8MetaHttpEquiv =
      "<META http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">价格";
  // 0x81 alone at the end is no GBK character: a conversion would turn it into '?'.
  const std::string gbPage = "<meta charset=gb2312>" + text::gbk("中文") + "\x81";
  const std::string gbkPage = "<meta charset='GBK'>" + text::gbk("中文") + "\x81";
  const std::string late = std::string(1100, ' ') + "<meta charset=utf-8>中";
  struct Case {
    std::string page, expected;
  };
  const Case cases[] = {
      {utf8Page, text::gbk(utf8Page)},
      {utf8MetaHttpEquiv, text::gbk(utf8MetaHttpEquiv)},
      {gbPage, gbPage},
      {gbkPage, gbkPage},
      {late, late},  // the declaration lies beyond the first 1024 bytes
      {"<meta charset=nosuchset>abc", "<meta charset=nosuchset>abc"},
  };
  for (const auto& c : cases) {
    StubServer s;
    s.enqueue(stubs::answerWith(c.page));
    net::HttpRequest r;
    r.url = s.baseUrl();
    net::HttpResponse out;
    EXPECT_EQ(net::HttpFetch(r, &out), c.expected) << c.page.substr(0, 40);
    EXPECT_EQ(out.bodyBytes, c.page);  // the raw bytes stay raw
  }
}

TEST(HttpFetch, ErrorStatusesReturnTheirBody) {
  StubServer s;
  StubAnswer missing = stubs::answerWith("not here");
  missing.status = 404;
  missing.reason = "Not Found";
  s.enqueue(missing);
  net::HttpRequest r;
  r.url = s.baseUrl();
  net::HttpResponse out;
  EXPECT_EQ(net::HttpFetch(r, &out), "not here");
  EXPECT_EQ(out.status, "404 Not Found");
}

TEST(HttpFetch, ThePumpRunsOnTheCallingThreadDuringATransfer) {
  StubServer s;
  StubAnswer slow = stubs::answerWith("done");
  slow.fault = Fault::Delay;
  slow.delay = std::chrono::milliseconds(1500);
  s.enqueue(slow);
  int calls = 0;
  const auto caller = std::this_thread::get_id();
  bool otherThread = false;
  net::setPumpHook([&] {
    ++calls;
    otherThread = otherThread || std::this_thread::get_id() != caller;
  });
  // A hook on this thread is not seen by requests on other threads.
  std::thread([&] {
    StubServer t;
    t.enqueue(stubs::answerWith("x"));
    net::HttpRequest r;
    r.url = t.baseUrl();
    net::HttpFetch(r);
  }).join();
  const int callsFromOtherThread = calls;
  net::HttpRequest r;
  r.url = s.baseUrl();
  EXPECT_EQ(net::HttpFetch(r), "done");
  net::setPumpHook(nullptr);
  EXPECT_EQ(callsFromOtherThread, 0);
  // Often, even while the server is silent (about 100 steps of 15 ms): curl left to itself wakes
  // only about once a second, which gave 18 calls here.
  EXPECT_GE(calls, 50);
  EXPECT_FALSE(otherThread);
}

}  // namespace
