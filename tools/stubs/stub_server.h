// StubServer: an HTTP server on loopback (ephemeral port) that stands in for an outside web
// service in tests and in the demo. It records every request byte for byte and answers from a
// script: a handler per path, or a queue of canned answers, with fault modes.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace stubs {

struct RecordedRequest {
  std::string method;   // "POST"
  std::string target;   // "/api/web/order.html?x=1" as sent
  std::vector<std::pair<std::string, std::string>> headers;  // in the order received, as spelled
  std::string rawHead;  // request line and header lines exactly as received, each ending in CR LF;
                        // the blank line that ends the head is not included
  std::string body;     // raw body bytes
  std::string header(const std::string& name) const;  // first value, name compared ignoring case
};

enum class Fault {
  None,
  Delay,           // answer after `delay`
  CloseMidBody,    // send the head (full Content-Length) and half of the body, then close
  HugeBody,        // a 10 MiB body: `body` repeated (a filler when empty)
  Garbage,         // invalid bytes instead of an HTTP answer, then close
  StallMidBody,    // send the head and half of the body, then stay silent for `delay` (until the
                   // server stops when `delay` is 0) and close
  DripBody,        // send the head, then the body one byte every `delay` (100 ms when 0)
  FloodBody,       // send a head announcing 1 GiB, then "0123456789abcdef" over and over as fast
                   // as the peer reads, until it closes or the 1 GiB is out; `body` is not used
                   // and nothing of the flood is held in memory
};

struct StubAnswer {
  int status = 200;
  std::string reason = "OK";
  std::vector<std::pair<std::string, std::string>> headers;  // sent in order
  std::string body;
  Fault fault = Fault::None;
  std::chrono::milliseconds delay{0};
};

// A 200 answer with `body` and the header lines given, in order.
StubAnswer answerWith(std::string body, std::vector<std::pair<std::string, std::string>> headers = {});

// A redirect answer: `status` (302 unless given) with a Location line holding `location` as given.
StubAnswer redirectTo(const std::string& location, int status = 302);

// Without a queued answer or handler for its path, a request gets 404 "no handler". Handlers run on
// the connection's thread; several connections are served at once. Keep-alive connections,
// Content-Length and chunked request bodies and "Expect: 100-continue" are understood. A proxy
// request ("GET http://host/x HTTP/1.1") is matched by the path of its absolute target.
class StubServer {
 public:
  StubServer();   // listens on 127.0.0.1 at a free port
  ~StubServer();  // stops and joins
  StubServer(const StubServer&) = delete;
  StubServer& operator=(const StubServer&) = delete;

  int port() const;
  std::string baseUrl() const;  // "http://127.0.0.1:<port>"

  // Answers requests whose path (target without query) equals `path`; "" matches every path.
  void on(const std::string& path, std::function<StubAnswer(const RecordedRequest&)> handler);
  // Answers the next request (any path) with `answer`; queued answers win over handlers.
  void enqueue(StubAnswer answer);
  // Queues one redirect to each of `locations` in turn, then `last`.
  void enqueueRedirectChain(const std::vector<std::string>& locations, StubAnswer last, int status = 302);

  std::vector<RecordedRequest> requests() const;  // every request so far, in arrival order
  void clearRequests();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace stubs
