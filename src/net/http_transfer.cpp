#include "net/http_transfer.h"

#include <algorithm>
#include <cstdlib>
#include <mutex>

#include "text/search.h"

namespace net::http {

bool curlReady() {
  static std::once_flag once;
  static bool ready = false;
  std::call_once(once, [] {
    ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    if (ready) {
      const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
      bool http = false;
      for (const char* const* p = info ? info->protocols : nullptr; p && *p; ++p)
        if (std::string(*p) == "http") http = true;
      ready = http;
    }
  });
  return ready;
}

std::vector<std::string> headerLines(const std::string& block) {
  std::vector<std::string> lines;
  for (auto& piece : text::splitPieces(block, "\r\n"))
    if (!piece.empty()) lines.push_back(std::move(piece));
  return lines;
}

std::string headerName(const std::string& line) {
  const std::size_t colon = line.find(':');
  if (colon == std::string::npos) return {};
  return text::asciiLower(text::trimBlanks(std::string_view(line).substr(0, colon)));
}

std::vector<std::string> withoutEarlierDuplicates(const std::vector<std::string>& lines) {
  std::vector<std::string> kept;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const std::string name = headerName(lines[i]);
    bool later = false;
    if (!name.empty())
      for (std::size_t j = i + 1; j < lines.size() && !later; ++j) later = headerName(lines[j]) == name;
    if (!later) kept.push_back(lines[i]);
  }
  return kept;
}

std::string proxyAddress(const std::string& proxy) {
  std::string p = text::trimBlanks(proxy);
  // The Windows form "http=host:port" (possibly with more "scheme=..." items) names the proxy of
  // plain requests; curl wants the address alone.
  const std::size_t eq = p.find('=');
  if (eq != std::string::npos) {
    p = p.substr(eq + 1);
    const std::size_t end = p.find_first_of(" ;");
    if (end != std::string::npos) p = p.substr(0, end);
  }
  if (text::startsWithIgnoreCase(p, "http://")) p = p.substr(7);
  if (p.empty()) return {};
  return "http://" + p;
}

curl_slist* toCurlList(const std::vector<std::string>& lines, bool* failed) {
  curl_slist* list = nullptr;
  *failed = false;
  for (const auto& line : lines) {
    curl_slist* next = curl_slist_append(list, line.c_str());
    if (!next) {
      curl_slist_free_all(list);
      *failed = true;
      return nullptr;
    }
    list = next;
  }
  return list;
}

std::function<void()>& pumpHook() {
  thread_local std::function<void()> hook;
  return hook;
}

namespace {

thread_local bool pumping = false;

void runPump() {
  auto& hook = pumpHook();
  if (!hook || pumping) return;  // a request started from inside the pump does not pump again
  pumping = true;
  try {
    hook();
  } catch (...) {
  }
  pumping = false;
}

bool isFollowedStatus(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  t->lastActivity = std::chrono::steady_clock::now();
  if (n > t->maxBodyBytes - std::min(t->body.size(), t->maxBodyBytes)) {
    // Only what fits is kept; a short count makes curl end the transfer.
    t->body.append(data, t->maxBodyBytes - std::min(t->body.size(), t->maxBodyBytes));
    t->bodyCapReached = true;
    return 0;
  }
  t->body.append(data, n);
  return n;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::string line(data, size * count);
  t->lastActivity = std::chrono::steady_clock::now();
  if (line.compare(0, 5, "HTTP/") == 0) {
    // Each status line starts a new block: 1xx answers, a proxy's CONNECT answer and every
    // redirect come before the final response, and only the final one is kept.
    t->headerBlock = line;
    t->body.clear();
    t->inBlock = true;
    t->headersComplete = false;
    t->uploadDone = true;  // the server has answered
    t->blockHasLocation = false;
    const std::size_t sp = line.find(' ');
    t->blockStatus = sp == std::string::npos ? 0 : std::atoi(line.c_str() + sp + 1);
    return line.size();
  }
  if (!t->inBlock) return line.size();  // trailer lines after a chunked body
  t->headerBlock += line;
  if (line == "\r\n" || line == "\n") {
    t->inBlock = false;
    if (t->blockStatus >= 200) t->headersComplete = true;
    if (t->followsRedirects && isFollowedStatus(t->blockStatus) && t->blockHasLocation) {
      // curl goes on to the Location: until the next request is under way, a failure counts as
      // one of connecting.
      t->betweenRequests = true;
    }
  } else if (text::startsWithIgnoreCase(line, "Location:")) {
    t->blockHasLocation = true;
  }
  return line.size();
}

int onProgress(void* user, curl_off_t, curl_off_t down, curl_off_t, curl_off_t up) {
  auto* t = static_cast<Transfer*>(user);
  const auto now = std::chrono::steady_clock::now();
  if (down != t->lastDown || up != t->lastUp) {
    t->lastDown = down;
    t->lastUp = up;
    t->lastActivity = now;
  }
  if (t->connected && up >= t->uploadSize) t->uploadDone = true;
  runPump();
  // Connecting is bounded by CURLOPT_CONNECTTIMEOUT_MS; from then on every phase (sending,
  // waiting for the answer, each stretch of the body) may stay silent for idleLimit at most.
  if (t->connected && now - t->lastActivity > t->idleLimit) {
    t->idleTimedOut = true;
    return 1;
  }
  return 0;
}

int onRequestStart(void* user, char*, char*, int, int) {
  auto* t = static_cast<Transfer*>(user);
  const bool redirected = ++t->requests > 1;
  t->connected = true;
  t->betweenRequests = false;
  t->headersComplete = false;
  // A followed redirect is sent without the first request's body in the usual cases (301, 302
  // and 303 turn a POST into a GET), so its sending phase ends with the head.
  t->uploadDone = redirected || t->uploadSize == 0;
  if (redirected) t->uploadSize = 0;
  t->lastActivity = std::chrono::steady_clock::now();
  return CURL_PREREQFUNC_OK;
}

}  // namespace

void Transfer::attach(CURL* curl) {
  lastActivity = std::chrono::steady_clock::now();
  // curl takes 0 as "no limit", so a deadline that is not positive is the default one.
  const auto limit = deadline.count() > 0 ? deadline : kRequestDeadline;
  curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, static_cast<long>(limit.count()));
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, this);
  curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, onHeader);
  curl_easy_setopt(curl, CURLOPT_HEADERDATA, this);
  curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl_easy_setopt(curl, CURLOPT_XFERINFODATA, this);
  curl_easy_setopt(curl, CURLOPT_PREREQFUNCTION, onRequestStart);
  curl_easy_setopt(curl, CURLOPT_PREREQDATA, this);
}

CURLcode Transfer::perform(CURL* curl) {
  // A request made from inside the pump does not pump again, so it runs as a plain call.
  if (!pumpHook() || pumping) return curl_easy_perform(curl);
  // The same steps curl_easy_perform takes, with a short wait instead of its second-long one: curl
  // calls the progress callback (and so the pump) only when it wakes, about once a second while
  // the server says nothing.
  constexpr int kPumpIntervalMs = 15;
  CURLM* multi = curl_multi_init();
  if (!multi) return CURLE_OUT_OF_MEMORY;
  CURLMcode mc = curl_multi_add_handle(multi, curl);
  CURLcode result = CURLE_OK;
  while (mc == CURLM_OK) {
    int running = 0;
    mc = curl_multi_perform(multi, &running);
    if (mc != CURLM_OK) break;
    if (!running) {
      int left = 0;
      if (const CURLMsg* msg = curl_multi_info_read(multi, &left); msg && msg->msg == CURLMSG_DONE) {
        result = msg->data.result;
        break;
      }
    }
    runPump();
    mc = curl_multi_poll(multi, nullptr, 0, kPumpIntervalMs, nullptr);
  }
  // A failure of the multi machinery itself is reported as curl_easy_perform reports it.
  if (mc != CURLM_OK) result = mc == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY : CURLE_BAD_FUNCTION_ARGUMENT;
  curl_multi_remove_handle(multi, curl);
  curl_multi_cleanup(multi);
  return result;
}

int Transfer::failurePhase(CURLcode code) const {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_USE_SSL_FAILED:
    case CURLE_PROXY:
    case CURLE_SEND_ERROR:
    case CURLE_LOGIN_DENIED:
      return 1;
    case CURLE_TOO_MANY_REDIRECTS:
      return 2;
    default:
      break;
  }
  if (!connected || betweenRequests || !uploadDone) return 1;
  if (!headersComplete) return 2;
  return 3;
}

}  // namespace net::http
