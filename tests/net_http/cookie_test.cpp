// The cookie-jar update and the cookie list of a response head, shared by both clients, and the
// form encoding of values.
#include <gtest/gtest.h>

#include "net/http_fetch.h"
#include "text/gbk.h"

namespace {

TEST(CookieMerge, ReceivedCookiesReplaceTheJarsAndDeletedOnesGo) {
  struct Case {
    const char* jar;
    const char* received;
    const char* merged;
  };
  const Case cases[] = {
      {"a=1; b=2", "b=3; c=deleted", "b=3; a=1"},
      {"a=1", "", "a=1"},
      {"", "x=1; y=2", "x=1; y=2"},
      {" a = 1 ;b=2", "", "a=1; b=2"},               // every space goes
      {"a=1; a=1", "", "a=1"},                         // exact duplicates go
      {"a=1; a=2", "", "a=1"},                         // the jar's first of one name is kept
      {"", "a=1; a=2", "a=1; a=2"},                    // the response's own are all kept
      {"flag; b=2", "flag; c=3", "flag; c=3; b=2"},     // an item without "=" is its own name
      {";a=1;;b=2;", ";", "a=1; b=2"},                 // empty items carry nothing
      {"s=deleted; t=1", "u=deleted", "t=1"},
      {"k=v=deleted", "", ""},                         // the last eight characters decide
  };
  for (const auto& c : cases) {
    std::string jar = c.jar;
    EXPECT_EQ(net::CookieMerge(jar, c.received), c.merged) << c.jar << " + " << c.received;
    EXPECT_EQ(jar, c.merged);
  }
}

TEST(CookiesFromHeaders, EachSetCookieLineGivesItsNameAndValue) {
  const std::string head =
      "HTTP/1.1 200 OK\r\n"
      "Set-Cookie: a=1; path=/\r\n"
      "Set-Cookie:b=2\r\n"
      "X-Other: c=3\r\n"
      "Set-Cookie:   spaced=4   \r\n"
      "Set-Cookie: ; path=/\r\n"
      "\r\n";
  EXPECT_EQ(net::cookiesFromHeaders(head), "a=1; b=2; spaced=4");
  EXPECT_EQ(net::cookiesFromHeaders("HTTP/1.1 200 OK\r\n\r\n"), "");
  // Built onto the caller's text; a caller text without cookies is never shortened.
  EXPECT_EQ(net::cookiesFromHeaders("HTTP/1.1 200 OK\r\n\r\n", "keep=me"), "keep=me");
  EXPECT_EQ(net::cookiesFromHeaders(head, "z=0"), "z=0; a=1; b=2; spaced=4");
}

TEST(FormEncode, EverythingButUnreservedBytesIsEscaped) {
  EXPECT_EQ(net::formEncode("aZ09-_.~"), "aZ09-_.~");
  EXPECT_EQ(net::formEncode("a b&c=d/+"), "a%20b%26c%3Dd%2F%2B");
  EXPECT_EQ(net::formEncode(text::gbk("中")), "%D6%D0");
  EXPECT_EQ(net::formEncode(""), "");
}

}  // namespace
