// HttpLite: the small client for byte bodies (the image upload), and the URL helpers it uses.
// It completes the caller's header block in place (Accept, Referer, Accept-Language,
// Content-Type, Cookie), sends `bodyBytes` (filled from `body` when empty and the method is not GET)
// and returns the raw body bytes. No error texts, no charset handling, no Location handling.
// Every call ends by its `deadline` and keeps at most `maxBodyBytes` of body: past either, the
// exchange stops and the call returns the body as far as it arrived (at most the cap), as it does
// for any other failure after the request went out.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "net/request_limits.h"

namespace net {

struct LiteRequest {
  std::string url;
  int method = 0;                     // 0 GET, 1 POST, 2 HEAD; other numbers are 0
  std::string body;
  std::string* cookies = nullptr;     // caller's jar, sent and merged
  std::string* headers = nullptr;     // caller's header lines; completed in place
  std::string* bodyBytes = nullptr;   // body to send; filled from `body` when empty
  bool noRedirect = false;
  std::string proxy;
  std::chrono::milliseconds deadline = kRequestDeadline;  // the whole call; <= 0 means the default
  std::size_t maxBodyBytes = kMaxBodyBytes;               // body bytes kept at most
};

struct LiteResponse {
  std::string receivedCookies;
  std::string responseHeaders;
};

std::string HttpLite(LiteRequest& request, LiteResponse* response = nullptr);

std::string UrlHost(const std::string& url);  // lower case, without port
int UrlPort(const std::string& url);
std::string UrlPath(const std::string& url);  // from the first "/" after the host, or "/"

}  // namespace net
