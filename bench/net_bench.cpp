// One form POST to a loopback stand-in: through HttpFetch, through HttpLite, through a bare libcurl
// easy handle in this process (the floor: the same lines and body, nothing but the body kept), and
// the same request made by the curl command-line tool (spawned per request, so its figure includes
// starting a process). Each case sends the same body to the same address on a new connection.
#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "net/charset_declaration.h"
#include "net/http_fetch.h"
#include "net/http_lite.h"
#include "parse/regex_matcher.h"
#include "stubs/stub_server.h"

extern char** environ;

namespace {

const char kBody[] = "goods_id=12&num=20&qq=123456789&password=e10adc3949ba59abbe56e057f20f883e";

stubs::StubServer& server() {
  static stubs::StubServer* s = [] {
    auto* p = new stubs::StubServer();
    p->on("/api/web/order.html", [](const stubs::RecordedRequest&) {
      stubs::StubAnswer a;
      a.body = "{\"status\":1,\"msg\":\"ok\"}";
      return a;
    });
    return p;
  }();
  return *s;
}

std::string orderUrl() { return server().baseUrl() + "/api/web/order.html"; }

void BM_HttpFetchPost(benchmark::State& state) {
  net::HttpRequest r;
  r.url = orderUrl();
  r.method = 1;
  r.body = kBody;
  std::size_t n = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(net::HttpFetch(r));
    if (++n % 1024 == 0) server().clearRequests();
  }
  server().clearRequests();
}
BENCHMARK(BM_HttpFetchPost)->Unit(benchmark::kMicrosecond);

void BM_HttpLitePost(benchmark::State& state) {
  std::size_t n = 0;
  for (auto _ : state) {
    net::LiteRequest r;
    r.url = orderUrl();
    r.method = 1;
    r.body = kBody;
    benchmark::DoNotOptimize(net::HttpLite(r));
    if (++n % 1024 == 0) server().clearRequests();
  }
  server().clearRequests();
}
BENCHMARK(BM_HttpLitePost)->Unit(benchmark::kMicrosecond);

size_t keepBody(char* data, size_t size, size_t count, void* user) {
  static_cast<std::string*>(user)->append(data, size * count);
  return size * count;
}

// A new easy handle per request, as HttpFetch makes one per call.
void BM_BareCurlPost(benchmark::State& state) {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  const std::string url = orderUrl();
  curl_slist* headers = nullptr;
  for (const char* line : {"User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
                           "Accept: text/html, application/xhtml+xml, */*", "Accept-Encoding: gbk, GB2312",
                           "Accept-Language: zh-cn", "Content-Type: application/x-www-form-urlencoded",
                           "Cache-Control: no-cache", "Expect:"})
    headers = curl_slist_append(headers, line);
  std::size_t n = 0;
  for (auto _ : state) {
    std::string body;
    CURL* c = curl_easy_init();
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(c, CURLOPT_POSTFIELDS, kBody);
    curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(sizeof kBody - 1));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, keepBody);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &body);
    const CURLcode rc = curl_easy_perform(c);
    curl_easy_cleanup(c);
    if (rc != CURLE_OK) {
      state.SkipWithError("the request failed");
      break;
    }
    benchmark::DoNotOptimize(body);
    if (++n % 1024 == 0) server().clearRequests();
  }
  curl_slist_free_all(headers);
  server().clearRequests();
}
BENCHMARK(BM_BareCurlPost)->Unit(benchmark::kMicrosecond);

// curl -s -o /dev/null -H <each line HttpFetch sends> -d <body> <url>
void BM_CurlToolPost(benchmark::State& state) {
  const std::vector<std::string> args = {
      "curl", "-s", "-o", "/dev/null",
      "-H", "User-Agent: Mozilla/5.0 (compatible; MSIE 9.0; Windows NT 6.1; WOW64; Trident/5.0)",
      "-H", "Accept: text/html, application/xhtml+xml, */*",
      "-H", "Accept-Encoding: gbk, GB2312",
      "-H", "Accept-Language: zh-cn",
      "-H", "Content-Type: application/x-www-form-urlencoded",
      "-H", "Cache-Control: no-cache",
      "-H", "Expect:",
      "-d", kBody, orderUrl()};
  std::vector<char*> argv;
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::size_t n = 0;
  for (auto _ : state) {
    pid_t pid = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, argv.data(), environ) != 0) {
      state.SkipWithError("curl cannot be started");
      break;
    }
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      state.SkipWithError("curl failed");
      break;
    }
    if (++n % 1024 == 0) server().clearRequests();
  }
  server().clearRequests();
}
BENCHMARK(BM_CurlToolPost)->Unit(benchmark::kMicrosecond);

// The charset search over the head of an HTML page (a goods page declares its charset in a <meta>
// tag after some 600 bytes of head), and the same search through the regular-expression helper,
// compiled per call, as HttpFetch did it before.
std::string pageHead() {
  std::string page = "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n";
  for (int i = 0; i < 12; ++i) page += "<link rel=\"stylesheet\" href=\"/static/css/s" + std::to_string(i) + ".css\">\r\n";
  page += "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\r\n</head><body>";
  page.resize(4096, 'x');
  return page;
}

void BM_DeclaredCharset(benchmark::State& state) {
  const std::string page = pageHead();
  if (net::declaredCharset(page) != "utf-8") state.SkipWithError("the declaration is not found");
  for (auto _ : state) benchmark::DoNotOptimize(net::declaredCharset(page));
}
BENCHMARK(BM_DeclaredCharset)->Unit(benchmark::kMicrosecond);

void BM_DeclaredCharsetByExpression(benchmark::State& state) {
  const std::string page = pageHead();
  for (auto _ : state) {
    parse::RegexMatcher m;
    m.Create("<meta.+?charset=[^\\w]?([-\\w]+)", page.substr(0, 1024));
    benchmark::DoNotOptimize(m.SubmatchText(1, 1));
  }
}
BENCHMARK(BM_DeclaredCharsetByExpression)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
