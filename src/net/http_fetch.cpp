#include "net/http_fetch.h"

#include <curl/curl.h>

#include <memory>
#include <vector>

#include "net/charset_declaration.h"
#include "net/http_transfer.h"
#include "text/gbk.h"
#include "text/search.h"
#include "text/text_between.h"

// How the exchange maps onto libcurl, and which failure gives which text:
//   700  libcurl cannot be initialised or has no HTTP support
//   701  the URL does not parse (curl_url), its scheme is not http or https, it has no host,
//        or curl itself rejects it as malformed
//   702  no easy handle, or the proxy is refused
//   705  the timeouts are refused
//   707  server or proxy credentials are refused
//   708  the cookie engine cannot be switched on
//   709  redirect settings are refused
//   710  the header list cannot be built or is refused
//   711  the host or proxy does not resolve, the connection or the TLS handshake fails, connecting
//        takes longer than the timeout, or the request (head and body) cannot be sent in time
//        (within the per-phase timeout and the overall deadline)
//   712  the request went out but no complete response head came back in time (per-phase
//        timeout or deadline), the peer closed or answered with something that is not HTTP, or
//        redirects went on past ten
//   713  the head arrived but the body broke off (closed early, reset, silent for longer than
//        the timeout, still arriving at the deadline, or longer than the body cap); what arrived
//        is kept, up to the cap, and returned
// 703 and 704 have no libcurl counterpart: connecting and opening the request are one step with
// sending, whose failures are 711.
//
// The Cookie line: with a jar supplied, curl's cookie engine is on so that cookies set by a
// redirect go with the redirected request. curl then owns the one Cookie line of each request:
// the jar text is handed to it (CURLOPT_COOKIE) instead of being a line of the block, and curl
// writes "Cookie: " + jar (after a redirect that set cookies: those cookies, "; ", the jar) right
// after Host. A second Cookie line, which a block line plus the engine would give, never goes out.

namespace net {

namespace {

const std::string& errorText(int code) {
  static const std::string texts[] = {
      text::gbk("700 当前系统不支持WinHttp服务!"), text::gbk("701 解析URL地址失败!"),
      text::gbk("702 创建WinHttp会话失败!"),       text::gbk("703 创建WinHttp连接失败!"),
      text::gbk("704 创建WinHttp请求失败!"),       text::gbk("705 设置超时时间失败!"),
      std::string(),                               text::gbk("707 设置代理凭证失败!"),
      text::gbk("708 禁止自动设置Cookies失败!"),   text::gbk("709 重定向设置失败!"),
      text::gbk("710 设置协议头失败!"),            text::gbk("711 发送请求失败!"),
      text::gbk("712 服务器未响应!"),              text::gbk("713 读取数据失败!"),
  };
  return texts[code - 700];
}

// True when `url` is an absolute http or https address with a host.
bool splitUrl(CURLU* handle, const std::string& url) {
  if (!handle || curl_url_set(handle, CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return false;
  char* scheme = nullptr;
  char* host = nullptr;
  bool ok = curl_url_get(handle, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
            curl_url_get(handle, CURLUPART_HOST, &host, 0) == CURLUE_OK && host && *host;
  if (ok) {
    const std::string s = text::asciiLower(scheme);
    ok = s == "http" || s == "https";
  }
  curl_free(scheme);
  curl_free(host);
  return ok;
}

// The block of caller lines and defaults, in the order they go out.
struct HeaderBlock {
  std::vector<std::string> lines;
  std::string cookieForCurl;  // the jar text when the default Cookie line applies
};

HeaderBlock buildHeaderBlock(const HttpRequest& r) {
  std::string block = r.extraHeaders.empty() ? std::string() : r.extraHeaders + "\r\n";
  const auto absentIgnoringCase = [&](std::string_view name) { return !text::containsTextIgnoreCase(block, name); };
  if (absentIgnoringCase("User-Agent: "))
    block += "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)\r\n";
  if (absentIgnoringCase("Accept: ")) block += "Accept: text/html, application/xhtml+xml, */*\r\n";
  if (absentIgnoringCase("Accept-Encoding: ")) block += "Accept-Encoding: gbk, GB2312\r\n";
  if (absentIgnoringCase("Accept-Language: ")) block += "Accept-Language: zh-cn\r\n";
  if (!text::containsText(block, "Content-Type:"))
    block += "Content-Type: application/x-www-form-urlencoded\r\n";
  if (absentIgnoringCase("Cache-Control: ")) block += "Cache-Control: no-cache\r\n";
  HeaderBlock out;
  if (absentIgnoringCase("Cookie: ") && r.cookies && !r.cookies->empty()) out.cookieForCurl = *r.cookies;

  out.lines = http::withoutEarlierDuplicates(http::headerLines(block));
  bool hasExpect = false;
  for (const auto& l : out.lines) hasExpect = hasExpect || http::headerName(l) == "expect";
  // curl would announce larger bodies with "Expect: 100-continue" and wait for the server.
  if (!hasExpect) out.lines.push_back("Expect:");
  return out;
}

// Fails the call: the error text into `status`, "" as the result.
std::string fail(HttpResponse* response, int code) {
  if (response) response->status = errorText(code);
  return {};
}

}  // namespace

std::string HttpFetch(const HttpRequest& request, HttpResponse* response) {
  try {
    if (!http::curlReady()) return fail(response, 700);
    http::CurlHandle h;
    if (!h.url) return fail(response, 700);
    if (!splitUrl(h.url, request.url)) return fail(response, 701);
    if (!h.curl) return fail(response, 702);
    CURL* c = h.curl;

    curl_easy_setopt(c, CURLOPT_CURLU, h.url);
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    // An empty proxy text also keeps curl from taking one from the environment.
    if (curl_easy_setopt(c, CURLOPT_PROXY, http::proxyAddress(request.proxy).c_str()) != CURLE_OK)
      return fail(response, 702);

    // Verb and body. PUT and a GET with a body carry the body like a POST does.
    const int method = request.method >= 0 && request.method <= 3 ? request.method : 0;
    const bool sendsBody = method == 1 || method == 3 || (method == 0 && !request.body.empty());
    if (method == 2) {
      curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    } else if (sendsBody) {
      curl_easy_setopt(c, CURLOPT_POST, 1L);
      curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
      curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.data());
      if (method == 3) curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, "PUT");
      if (method == 0) curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, "GET");
    }

    const long timeoutMs = request.timeoutSeconds >= 1 ? request.timeoutSeconds * 1000L : 30000L;
    if (curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, timeoutMs) != CURLE_OK) return fail(response, 705);

    if (!request.user.empty() && !request.password.empty()) {
      if (curl_easy_setopt(c, CURLOPT_USERNAME, request.user.c_str()) != CURLE_OK ||
          curl_easy_setopt(c, CURLOPT_PASSWORD, request.password.c_str()) != CURLE_OK ||
          curl_easy_setopt(c, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC)) != CURLE_OK)
        return fail(response, 707);
    }
    if (!request.proxyUser.empty() && !request.proxyPassword.empty()) {
      // The combined option splits at the first ":" and URL-decodes each part, hence the escaping.
      const std::string userPwd = formEncode(request.proxyUser) + ":" + formEncode(request.proxyPassword);
      if (curl_easy_setopt(c, CURLOPT_PROXYUSERPWD, userPwd.c_str()) != CURLE_OK ||
          curl_easy_setopt(c, CURLOPT_PROXYAUTH, static_cast<long>(CURLAUTH_BASIC)) != CURLE_OK)
        return fail(response, 707);
    }

    // With a jar the engine is on, so cookies set by a redirect reach the redirected request.
    // Revocation checking has no online counterpart in this TLS build; certificates are verified
    // in every case.
    if (request.cookies && curl_easy_setopt(c, CURLOPT_COOKIEFILE, "") != CURLE_OK) return fail(response, 708);

    const bool follow = !request.noRedirect;
    if (curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, follow ? 1L : 0L) != CURLE_OK ||
        (follow && (curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L) != CURLE_OK ||
                    curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https") != CURLE_OK)))
      return fail(response, 709);

    const HeaderBlock block = buildHeaderBlock(request);
    bool listFailed = false;
    h.headers = http::toCurlList(block.lines, &listFailed);
    if (listFailed || curl_easy_setopt(c, CURLOPT_HTTPHEADER, h.headers) != CURLE_OK) return fail(response, 710);
    if (!block.cookieForCurl.empty() && curl_easy_setopt(c, CURLOPT_COOKIE, block.cookieForCurl.c_str()) != CURLE_OK)
      return fail(response, 710);

    http::Transfer t;
    t.idleLimit = std::chrono::milliseconds(timeoutMs);
    t.followsRedirects = follow;
    t.uploadSize = sendsBody ? static_cast<curl_off_t>(request.body.size()) : 0;
    t.deadline = request.deadline;
    t.maxBodyBytes = request.maxBodyBytes;
    t.attach(c);

    const CURLcode rc = t.perform(c);
    std::string status;
    if (rc != CURLE_OK) {
      if (rc == CURLE_URL_MALFORMAT) return fail(response, 701);
      const int phase = t.failurePhase(rc);
      if (phase == 1) return fail(response, 711);
      if (phase == 2) return fail(response, 712);
      // The body broke off after the head: the call goes on with what arrived. The text stays
      // "713 ..." rather than giving way to the status line, so a cut body is never reported as
      // a complete "200 OK".
      status = errorText(713);
    }
    if (!t.headersComplete) return fail(response, 712);

    HttpResponse out = response ? *response : HttpResponse();
    out.responseHeaders = text::replaceAllIgnoreCase(t.headerBlock, "Set-Cookie", "Set-Cookie");
    if (status.empty()) {
      const std::string& head = out.responseHeaders;
      const std::size_t sp = head.find(' ');
      const std::size_t eol = head.find_first_of("\r\n");
      status = sp == std::string::npos || sp > eol ? std::string() : head.substr(sp + 1, eol - sp - 1);
    }
    out.status = status;
    for (const auto& line : text::splitPieces(out.responseHeaders, "\r\n"))
      if (text::startsWithIgnoreCase(line, "Location: ")) out.location = line.substr(10);
    out.receivedCookies = cookiesFromHeaders(out.responseHeaders, out.receivedCookies);
    if (request.cookies) CookieMerge(*request.cookies, out.receivedCookies);
    out.bodyBytes = t.body;

    std::string result = t.body;
    const std::string charset = text::asciiLower(declaredCharset(result));
    if (!charset.empty() && charset != "gbk" && charset != "gb2312") result = text::charsetToGbk(t.body, charset);
    if (response) *response = std::move(out);
    return result;
  } catch (...) {
    // Only running out of memory (a body too large to hold) can get here.
    return fail(response, 713);
  }
}

std::string cookiesFromHeaders(const std::string& responseHeaders, std::string base) {
  static const std::string marker = "Set-Cookie";
  std::string cookies = std::move(base);
  bool added = false;
  for (const auto& line : text::splitPieces(responseHeaders, "\r\n")) {
    if (!text::containsText(line, marker)) continue;
    const std::string cookie = text::trimSpaces(text::containsText(line, ";")
                                                    ? text::TextBetween(line, "Set-Cookie:", ";")
                                                    : text::replaceAll(line, "Set-Cookie:", ""));
    if (cookie.empty()) continue;  // nothing to carry; an empty item would only leave "; ;"
    const bool endsWithSeparator = cookies.size() >= 2 && cookies.compare(cookies.size() - 2, 2, "; ") == 0;
    if (!added && !cookies.empty() && !endsWithSeparator) cookies += "; ";
    cookies += cookie + "; ";
    added = true;
  }
  // Only the "; " this call appended is taken off, never a character of the caller's text.
  if (added) cookies.erase(cookies.size() - 2);
  return cookies;
}

std::string CookieMerge(std::string& jar, const std::string& received) {
  struct Item {
    std::string text, name;
  };
  const auto items = [](const std::string& list) {
    std::vector<Item> out;
    const std::string compact = text::replaceAll(list, " ", "");
    for (const auto& piece : text::splitPieces(compact, ";")) {
      if (piece.empty()) continue;  // from a leading, doubled or trailing ";"
      const std::size_t eq = piece.find('=');
      out.push_back({piece, eq == std::string::npos ? piece : piece.substr(0, eq)});
    }
    return out;
  };
  std::vector<Item> list = items(received);
  for (const auto& j : items(jar)) {
    bool present = false;
    for (const auto& l : list) present = present || l.name == j.name;
    if (!present) list.push_back(j);
  }
  std::vector<std::string> kept;
  for (const auto& item : list) {
    const std::string& s = item.text;
    if (s.size() >= 8 && s.compare(s.size() - 8, 8, "=deleted") == 0) continue;
    bool duplicate = false;
    for (const auto& k : kept) duplicate = duplicate || k == s;
    if (!duplicate) kept.push_back(s);
  }
  std::string merged;
  for (const auto& k : kept) merged += (merged.empty() ? "" : "; ") + k;
  jar = merged;
  return merged;
}

void setPumpHook(std::function<void()> pump) { http::pumpHook() = std::move(pump); }

std::string formEncode(const std::string& value) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(value.size() * 3);
  for (const char ch : value) {
    const auto c = static_cast<unsigned char>(ch);
    const bool unreserved = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                            c == '-' || c == '_' || c == '.' || c == '~';
    if (unreserved) {
      out += ch;
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

}  // namespace net
