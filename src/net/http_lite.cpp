#include "net/http_lite.h"

#include <curl/curl.h>

#include <cstdlib>

#include "net/http_fetch.h"
#include "net/http_transfer.h"
#include "text/search.h"
#include "text/text_between.h"

// On libcurl, like HttpFetch, with these choices of its own:
// - One User-Agent line goes out, holding the agent: the value of the caller's User-Agent line
//   when the block has one, else the default agent. The caller's own line is not sent beside it
//   (it stays in the completed block the caller sees).
// - The whole response head is read however long it is, so its cookies are never lost.
// - No cookie store: cookies travel only through the caller's jar, and a redirect is followed
//   (at most ten) without cookies of its own.
// - Besides the request's deadline and body cap, a safety limit of 60 s for connecting and 60 s of
//   silence in any later phase applies (it matters only with a deadline longer than that).

namespace net {

namespace {

constexpr long kSafetyLimitMs = 60000;
const char kDefaultAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";

// The host-and-port of a URL after the scheme marker, lower case, with "/" appended when missing.
std::string hostAndPort(const std::string& url) {
  std::string lowered = text::asciiLower(url);
  if (lowered.empty() || lowered.back() != '/') lowered += '/';
  std::string marker = "https://";
  if (lowered.compare(0, 8, "https://") != 0) {
    if (!text::containsText(lowered, "http://")) lowered = "http://" + lowered;
    marker = "http://";
  }
  return text::TextBetween(lowered, marker, "/");
}

// The agent named by the caller's block: the value of its User-Agent line, trimmed.
std::string agentFrom(const std::string& headers) {
  std::string agent = text::trimSpaces(text::TextBetween(headers + "\r\n", "User-Agent:", "\r\n"));
  if (!agent.empty()) return agent;
  // The line is spelled in another letter case (or is empty): its own value, up to its line end,
  // never the lines after it.
  const std::size_t at = text::findTextIgnoreCase(headers, "User-Agent:");
  if (at == text::npos) return {};
  const std::size_t start = at + 11;
  const std::size_t end = headers.find("\r\n", start);
  return text::trimSpaces(std::string_view(headers).substr(start, end == std::string::npos ? std::string::npos : end - start));
}

void completeHeaders(std::string& headers, const std::string& url, const std::string* cookies) {
  if (headers.empty()) {
    headers = "Accept: */*";
  } else if (!text::containsText(headers, "Accept:")) {
    headers += "\r\nAccept: */*";
  }
  if (!text::containsText(headers, "Referer:")) headers += "\r\nReferer: " + url;
  if (!text::containsText(headers, "Accept-Language:")) headers += "\r\nAccept-Language: zh-cn";
  if (!text::containsText(headers, "Content-Type:")) headers += "\r\nContent-Type: application/x-www-form-urlencoded";
  if (cookies && !cookies->empty())
    headers += text::containsText(*cookies, "Cookie:") ? "\r\n" + *cookies : "\r\nCookie: " + *cookies;
}

}  // namespace

std::string UrlHost(const std::string& url) {
  const std::string hp = hostAndPort(url);
  const std::size_t colon = hp.find(':');
  return colon == std::string::npos ? hp : hp.substr(0, colon);
}

int UrlPort(const std::string& url) {
  const std::string hp = hostAndPort(url);
  const std::size_t colon = hp.rfind(':');
  if (colon == std::string::npos) return text::asciiLower(url).compare(0, 5, "https") == 0 ? 443 : 80;
  int port = 0;
  for (std::size_t i = colon + 1; i < hp.size() && hp[i] >= '0' && hp[i] <= '9' && port < 100000; ++i)
    port = port * 10 + (hp[i] - '0');
  return port;
}

std::string UrlPath(const std::string& url) {
  const std::size_t at = text::findTextIgnoreCase(url, UrlHost(url));
  if (at == text::npos) return "/";
  const std::size_t slash = url.find('/', at);
  return slash == std::string::npos ? "/" : url.substr(slash);
}

std::string HttpLite(LiteRequest& request, LiteResponse* response) {
  try {
    const int method = request.method >= 0 && request.method <= 2 ? request.method : 0;
    const bool secure = text::asciiLower(request.url.substr(0, 8)) == "https://";
    std::string ownHeaders, ownBody;
    std::string& headers = request.headers ? *request.headers : ownHeaders;
    std::string& bodyBytes = request.bodyBytes ? *request.bodyBytes : ownBody;

    const bool callerAgent = text::containsTextIgnoreCase(headers, "User-Agent:");
    const std::string agent = callerAgent ? agentFrom(headers) : kDefaultAgent;

    // The address curl connects to, from the three URL parts.
    const std::string address = std::string(secure ? "https://" : "http://") + UrlHost(request.url) + ":" +
                                std::to_string(UrlPort(request.url)) + UrlPath(request.url);
    if (!http::curlReady()) return {};
    http::CurlHandle h;
    if (!h.curl || !h.url || curl_url_set(h.url, CURLUPART_URL, address.c_str(), 0) != CURLUE_OK) return {};
    CURL* c = h.curl;
    curl_easy_setopt(c, CURLOPT_CURLU, h.url);
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    if (curl_easy_setopt(c, CURLOPT_PROXY, http::proxyAddress(request.proxy).c_str()) != CURLE_OK) return {};
    if (!agent.empty()) curl_easy_setopt(c, CURLOPT_USERAGENT, agent.c_str());
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, kSafetyLimitMs);
    if (!request.noRedirect) {
      curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 1L);
      curl_easy_setopt(c, CURLOPT_MAXREDIRS, 10L);
      curl_easy_setopt(c, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    }

    completeHeaders(headers, request.url, request.cookies);
    std::vector<std::string> lines;
    for (auto& line : http::headerLines(headers))
      if (http::headerName(line) != "user-agent") lines.push_back(std::move(line));
    lines = http::withoutEarlierDuplicates(lines);
    lines.push_back("Expect:");
    bool listFailed = false;
    h.headers = http::toCurlList(lines, &listFailed);
    if (listFailed) return {};
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, h.headers);

    if (method != 0 && bodyBytes.empty()) bodyBytes = request.body;
    if (method == 2) {
      curl_easy_setopt(c, CURLOPT_NOBODY, 1L);  // a HEAD request carries no body on the wire
    } else if (method == 1) {
      curl_easy_setopt(c, CURLOPT_POST, 1L);
      curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(bodyBytes.size()));
      curl_easy_setopt(c, CURLOPT_POSTFIELDS, bodyBytes.data());
    }

    http::Transfer t;
    t.idleLimit = std::chrono::milliseconds(kSafetyLimitMs);
    t.followsRedirects = !request.noRedirect;
    t.uploadSize = method == 1 ? static_cast<curl_off_t>(bodyBytes.size()) : 0;
    t.deadline = request.deadline;
    t.maxBodyBytes = request.maxBodyBytes;
    t.attach(c);
    t.perform(c);  // a failure shows as an empty or partial body

    LiteResponse out = response ? *response : LiteResponse();
    out.responseHeaders = text::replaceAllIgnoreCase(t.headerBlock, "Set-Cookie", "Set-Cookie");
    out.receivedCookies = cookiesFromHeaders(out.responseHeaders);
    if (request.cookies) out.receivedCookies = CookieMerge(*request.cookies, out.receivedCookies);
    if (response) *response = std::move(out);
    return std::move(t.body);
  } catch (...) {
    return {};
  }
}

}  // namespace net
