// HttpFetch: one synchronous HTTP(S) request on libcurl, body returned as GBK text.
//
// The request on the wire is exact: the verb of `method`, HTTP/1.1, the caller's header lines then
// the default block (User-Agent, Accept, Accept-Encoding, Accept-Language, Content-Type,
// Cache-Control, Cookie) for each one the caller did not give, no Expect, no compression. Outputs
// are written only where a request gets that far; on failure `status` holds one of the texts
// 700..712 and the result is "". A body that breaks off after the head is returned as far as it
// arrived, with the outputs filled and `status` "713 ..." (never the status line of a cut body).
// Every call ends by its `deadline` and keeps at most `maxBodyBytes` of body. Past the deadline the
// text is that of the phase it caught: 711 while connecting or sending, 712 while waiting for the
// head, 713 while reading the body (what arrived is returned). A body longer than the cap gives 713
// with its first `maxBodyBytes` bytes. The per-phase timeouts of `timeoutSeconds` run inside the
// deadline.
// A body that declares another charset in a <meta> tag within its first 1024 bytes is converted
// to GBK. With a jar, curl's cookie engine carries cookies across redirects and curl writes the
// one Cookie line (after Host). Nothing is kept between calls.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "net/request_limits.h"

namespace net {

struct HttpRequest {
  std::string url;
  int method = 0;                  // 0 GET, 1 POST, 2 HEAD, 3 PUT, anything else GET
  std::string body;                // GBK bytes sent as they are
  std::string* cookies = nullptr;  // caller's cookie jar; absent = no cookie engine
  std::string extraHeaders;        // CR LF separated
  bool noRedirect = false;
  std::string user, password;            // server basic credentials (both non-empty)
  std::string proxy;                     // host:port; empty = direct
  std::string proxyUser, proxyPassword;  // proxy basic credentials (both non-empty)
  int timeoutSeconds = 0;                // per phase; <= 0 means 30 s
  std::chrono::milliseconds deadline = kRequestDeadline;  // the whole call; <= 0 means the default
  std::size_t maxBodyBytes = kMaxBodyBytes;               // body bytes kept at most
};

struct HttpResponse {
  std::string receivedCookies;  // name=value pairs joined by "; "
  std::string responseHeaders;  // raw header block of the final response, Set-Cookie spelled so
  std::string location;         // raw value of the final response's Location line
  std::string status;           // "200 OK", or an error text 700..713
  std::string bodyBytes;        // raw body
};

std::string HttpFetch(const HttpRequest& request, HttpResponse* response = nullptr);

// Merges a received cookie list into a jar (received cookies replace the jar's of the same name,
// "=deleted" items go, exact duplicates go), writes it into the jar and returns it.
std::string CookieMerge(std::string& jar, const std::string& received);

// The cookies of a raw header block: every line holding "Set-Cookie" gives one name=value,
// joined by "; " onto `base`. Shared by both clients.
std::string cookiesFromHeaders(const std::string& responseHeaders, std::string base = {});

// A hook the settings window installs on its thread so that it keeps processing its events while
// a request runs; called regularly during transfers on the installing thread only.
void setPumpHook(std::function<void()> pump);

// Percent-encodes the GBK bytes of a form value (everything but A-Z a-z 0-9 - _ . ~).
std::string formEncode(const std::string& value);

}  // namespace net
