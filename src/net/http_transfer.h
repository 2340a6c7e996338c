// What the two HTTP clients share on top of libcurl: the header-line handling, the proxy text,
// and one transfer's capture of the final response (header block, body) with an idle timeout,
// an overall deadline and a body cap, the per-thread pump and a record of how far the exchange
// got, so that a failure can be told apart by phase (connecting and sending, waiting for the
// answer, reading the body).
#pragma once

#include <curl/curl.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "net/request_limits.h"

namespace net::http {

// Makes libcurl usable once per process; false when it cannot be set up.
bool curlReady();

// The lines of a header block split at CR LF, blank lines dropped.
std::vector<std::string> headerLines(const std::string& block);

// Keeps, for every header name (compared ignoring letter case), only its last line; that line stays
// where it stands. This is "add, replacing a header of the same name".
std::vector<std::string> withoutEarlierDuplicates(const std::vector<std::string>& lines);

// The name of a header line (text before its ":"), or "" for a line without one.
std::string headerName(const std::string& line);

// A proxy text ("host:port", "http://host:port" or the "http=host:port" form) as the address curl
// takes, "http://host:port"; "" for an empty text.
std::string proxyAddress(const std::string& proxy);

// The curl list of header lines (freed by the owner with curl_slist_free_all); nullptr with
// *failed set when the list cannot be built.
curl_slist* toCurlList(const std::vector<std::string>& lines, bool* failed);

// The calling thread's pump, called regularly while a transfer runs (never re-entered).
std::function<void()>& pumpHook();

// The handles of one call: the easy handle, its header list and its URL, released together.
struct CurlHandle {
  CURL* curl = curl_easy_init();
  curl_slist* headers = nullptr;
  CURLU* url = curl_url();
  CurlHandle() = default;
  CurlHandle(const CurlHandle&) = delete;
  CurlHandle& operator=(const CurlHandle&) = delete;
  ~CurlHandle() {
    if (curl) curl_easy_cleanup(curl);
    curl_slist_free_all(headers);
    if (url) curl_url_cleanup(url);
  }
};

// One transfer on one easy handle. attach() installs the write, header, progress and pre-request
// callbacks and the deadline; after perform() the members describe the final response.
// Past the deadline curl ends the transfer (CURLE_OPERATION_TIMEDOUT); a body that would grow past
// maxBodyBytes keeps its first maxBodyBytes bytes and ends the transfer (CURLE_WRITE_ERROR). Either
// way failurePhase() tells how far the exchange had got.
struct Transfer {
  std::chrono::milliseconds idleLimit{30000};  // no byte moved for this long ends the transfer
  std::chrono::milliseconds deadline = kRequestDeadline;  // the whole exchange; <= 0 means the default
  std::size_t maxBodyBytes = kMaxBodyBytes;
  bool followsRedirects = false;
  curl_off_t uploadSize = 0;                   // body bytes of the first request

  std::string headerBlock;       // raw block of the final response, each line with its CR LF
  std::string body;              // body of the final response
  bool headersComplete = false;  // the final block reached its blank line (and is not a 1xx)
  bool connected = false;        // the current request's connection is up (TLS, tunnel included)
  bool uploadDone = false;       // the current request's body has gone out
  bool idleTimedOut = false;
  bool bodyCapReached = false;

  void attach(CURL* curl);

  // Runs the exchange on `curl` (attached) and gives curl_easy_perform's result. With a pump on
  // the calling thread the exchange is driven in short steps and the pump runs between them, every
  // few milliseconds even while the server is silent; otherwise it is curl_easy_perform.
  CURLcode perform(CURL* curl);

  // The transfer's phase at a failure: 1 connecting or sending, 2 waiting for the answer,
  // 3 reading the body.
  int failurePhase(CURLcode code) const;

  // Internal state of the callbacks.
  int requests = 0;
  bool betweenRequests = false;
  bool inBlock = false;
  bool blockHasLocation = false;
  int blockStatus = 0;
  curl_off_t lastDown = -1, lastUp = -1;
  std::chrono::steady_clock::time_point lastActivity;
};

}  // namespace net::http
