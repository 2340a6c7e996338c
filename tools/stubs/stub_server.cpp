#include "stubs/stub_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace stubs {

namespace {

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equalsIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lowerAscii(a[i]) != lowerAscii(b[i])) return false;
  return true;
}

std::string trimBlanks(const std::string& s) {
  std::size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
  return s.substr(a, b - a);
}

// The path a handler is chosen by: the target without its query, and without the scheme and
// authority when the request came as to a proxy ("GET http://host:port/x HTTP/1.1").
std::string handlerPath(const std::string& target) {
  std::string t = target;
  for (const char* scheme : {"http://", "https://"}) {
    const std::size_t n = std::strlen(scheme);
    if (t.size() >= n && equalsIgnoreCase(t.substr(0, n), scheme)) {
      const std::size_t slash = t.find('/', n);
      t = slash == std::string::npos ? "/" : t.substr(slash);
      break;
    }
  }
  const std::size_t q = t.find_first_of("?#");
  return q == std::string::npos ? t : t.substr(0, q);
}

bool sendAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::send(fd, data, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool sendAll(int fd, const std::string& s) { return sendAll(fd, s.data(), s.size()); }

}  // namespace

std::string RecordedRequest::header(const std::string& name) const {
  for (const auto& [k, v] : headers)
    if (equalsIgnoreCase(k, name)) return v;
  return {};
}

StubAnswer answerWith(std::string body, std::vector<std::pair<std::string, std::string>> headers) {
  StubAnswer a;
  a.body = std::move(body);
  a.headers = std::move(headers);
  return a;
}

StubAnswer redirectTo(const std::string& location, int status) {
  StubAnswer a;
  a.status = status;
  a.reason = status == 301 ? "Moved Permanently" : status == 303 ? "See Other"
           : status == 307 ? "Temporary Redirect" : status == 308 ? "Permanent Redirect" : "Found";
  a.headers.emplace_back("Location", location);
  a.body = "moved";
  return a;
}

struct StubServer::Impl {
  int listenFd = -1;
  int port = 0;
  std::thread acceptThread;

  mutable std::mutex mu;
  std::condition_variable stopCv;  // wakes delayed answers when the server stops
  bool stopping = false;
  std::map<std::string, std::function<StubAnswer(const RecordedRequest&)>> handlers;
  std::deque<StubAnswer> queue;
  std::vector<RecordedRequest> recorded;
  std::set<int> openFds;
  struct Connection {
    std::thread thread;
    std::shared_ptr<bool> done;  // set under `mu` when the thread is about to end
  };
  std::vector<Connection> connections;

  void acceptLoop();
  void serve(int fd, const std::shared_ptr<bool>& done);
  // Reads one request from the connection into `req`; false when the peer closed or sent no
  // complete request. `buffer` carries bytes read past the end of a request (pipelining).
  bool readRequest(int fd, std::string& buffer, RecordedRequest& req, bool& keepAlive);
  bool fill(int fd, std::string& buffer);
  StubAnswer answerFor(const RecordedRequest& req);
  bool waitOrStop(std::chrono::milliseconds delay);
};

bool StubServer::Impl::fill(int fd, std::string& buffer) {
  char chunk[16384];
  while (true) {
    const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    buffer.append(chunk, static_cast<std::size_t>(n));
    return true;
  }
}

bool StubServer::Impl::readRequest(int fd, std::string& buffer, RecordedRequest& req, bool& keepAlive) {
  std::size_t headEnd;
  while ((headEnd = buffer.find("\r\n\r\n")) == std::string::npos)
    if (!fill(fd, buffer)) return false;
  req.rawHead = buffer.substr(0, headEnd + 2);
  buffer.erase(0, headEnd + 4);

  // Request line and header lines, as spelled.
  std::size_t pos = 0;
  bool first = true;
  std::string version;
  while (pos < req.rawHead.size()) {
    const std::size_t eol = req.rawHead.find("\r\n", pos);
    const std::string line = req.rawHead.substr(pos, eol - pos);
    pos = eol + 2;
    if (first) {
      first = false;
      const std::size_t a = line.find(' ');
      const std::size_t b = line.rfind(' ');
      req.method = line.substr(0, a);
      if (a != std::string::npos && b != std::string::npos && b > a) {
        req.target = line.substr(a + 1, b - a - 1);
        version = line.substr(b + 1);
      } else if (a != std::string::npos) {
        req.target = line.substr(a + 1);
      }
      continue;
    }
    const std::size_t colon = line.find(':');
    if (colon == std::string::npos) {
      req.headers.emplace_back(line, "");
    } else {
      req.headers.emplace_back(line.substr(0, colon), trimBlanks(line.substr(colon + 1)));
    }
  }

  const std::string connection = req.header("Connection");
  keepAlive = version != "HTTP/1.0" ? !equalsIgnoreCase(connection, "close")
                                    : equalsIgnoreCase(connection, "keep-alive");

  if (equalsIgnoreCase(req.header("Expect"), "100-continue"))
    if (!sendAll(fd, "HTTP/1.1 100 Continue\r\n\r\n")) return false;

  if (equalsIgnoreCase(req.header("Transfer-Encoding"), "chunked")) {
    while (true) {
      std::size_t eol;
      while ((eol = buffer.find("\r\n")) == std::string::npos)
        if (!fill(fd, buffer)) return false;
      const std::size_t size = std::strtoul(buffer.substr(0, eol).c_str(), nullptr, 16);
      buffer.erase(0, eol + 2);
      if (size == 0) {
        // Trailer lines up to the blank line.
        while (true) {
          while ((eol = buffer.find("\r\n")) == std::string::npos)
            if (!fill(fd, buffer)) return false;
          const bool blank = eol == 0;
          buffer.erase(0, eol + 2);
          if (blank) break;
        }
        break;
      }
      while (buffer.size() < size + 2)
        if (!fill(fd, buffer)) return false;
      req.body.append(buffer, 0, size);
      buffer.erase(0, size + 2);
    }
  } else {
    const std::string lengthText = req.header("Content-Length");
    const std::size_t length = lengthText.empty() ? 0 : std::strtoull(lengthText.c_str(), nullptr, 10);
    while (buffer.size() < length)
      if (!fill(fd, buffer)) return false;
    req.body = buffer.substr(0, length);
    buffer.erase(0, length);
  }
  return true;
}

StubAnswer StubServer::Impl::answerFor(const RecordedRequest& req) {
  std::function<StubAnswer(const RecordedRequest&)> handler;
  {
    std::lock_guard<std::mutex> lock(mu);
    if (!queue.empty()) {
      StubAnswer a = std::move(queue.front());
      queue.pop_front();
      return a;
    }
    auto it = handlers.find(handlerPath(req.target));
    if (it == handlers.end()) it = handlers.find("");
    if (it != handlers.end()) handler = it->second;
  }
  if (handler) return handler(req);
  StubAnswer notFound;
  notFound.status = 404;
  notFound.reason = "Not Found";
  notFound.body = "no handler";
  return notFound;
}

bool StubServer::Impl::waitOrStop(std::chrono::milliseconds delay) {
  std::unique_lock<std::mutex> lock(mu);
  return !stopCv.wait_for(lock, delay, [this] { return stopping; });
}

void StubServer::Impl::serve(int fd, const std::shared_ptr<bool>& done) {
  std::string buffer;
  while (true) {
    RecordedRequest req;
    bool keepAlive = true;
    if (!readRequest(fd, buffer, req, keepAlive)) break;
    {
      std::lock_guard<std::mutex> lock(mu);
      recorded.push_back(req);
    }
    StubAnswer answer = answerFor(req);

    if (answer.fault == Fault::Delay && !waitOrStop(answer.delay)) break;
    if (answer.fault == Fault::Garbage) {
      static const char garbage[] = "\x01\xfe garbage \xff\x00\r\n\r\nnot http";
      sendAll(fd, garbage, sizeof garbage - 1);
      break;
    }

    std::string body = answer.body;
    if (answer.fault == Fault::HugeBody) {
      const std::size_t huge = 10u * 1024u * 1024u;
      const std::string seed = body.empty() ? std::string("0123456789abcdef") : body;
      body.clear();
      body.reserve(huge);
      while (body.size() < huge) body.append(seed, 0, std::min(seed.size(), huge - body.size()));
    }

    constexpr std::size_t kFloodBytes = std::size_t{1} << 30;
    std::string head = "HTTP/1.1 " + std::to_string(answer.status) + " " + answer.reason + "\r\n";
    if (answer.fault == Fault::FloodBody) head += "Content-Length: " + std::to_string(kFloodBytes) + "\r\n";
    bool hasLength = answer.fault == Fault::FloodBody;
    for (const auto& [k, v] : answer.headers) {
      head += k + ": " + v + "\r\n";
      if (equalsIgnoreCase(k, "Content-Length") || equalsIgnoreCase(k, "Transfer-Encoding")) hasLength = true;
    }
    if (!hasLength) head += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    if (!keepAlive) head += "Connection: close\r\n";
    head += "\r\n";

    if (!sendAll(fd, head)) break;
    if (req.method == "HEAD") {
      if (!keepAlive) break;
      continue;
    }
    if (answer.fault == Fault::DripBody) {
      const auto every = answer.delay.count() > 0 ? answer.delay : std::chrono::milliseconds(100);
      bool sent = true;
      for (std::size_t i = 0; i < body.size() && sent; ++i)
        sent = sendAll(fd, body.data() + i, 1) && (i + 1 == body.size() || waitOrStop(every));
      break;
    }
    if (answer.fault == Fault::FloodBody) {
      std::string chunk;
      while (chunk.size() < 65536) chunk += "0123456789abcdef";
      for (std::size_t sent = 0; sent < kFloodBytes && sendAll(fd, chunk); sent += chunk.size()) {
      }
      break;
    }
    if (answer.fault == Fault::CloseMidBody || answer.fault == Fault::StallMidBody) {
      sendAll(fd, body.data(), body.size() / 2);
      if (answer.fault == Fault::StallMidBody)
        waitOrStop(answer.delay.count() > 0 ? answer.delay : std::chrono::hours(24));
      break;
    }
    if (!sendAll(fd, body)) break;
    if (!keepAlive) break;
  }
  ::shutdown(fd, SHUT_RDWR);
  std::lock_guard<std::mutex> lock(mu);
  // The destructor closes the descriptors still open; a finished connection closes its own.
  if (openFds.erase(fd) > 0) ::close(fd);
  *done = true;
}

void StubServer::Impl::acceptLoop() {
  while (true) {
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR || errno == ECONNABORTED) continue;
      return;  // the listening socket was shut down
    }
    std::lock_guard<std::mutex> lock(mu);
    if (stopping) {
      ::close(fd);
      return;
    }
    const int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // Finished connections are joined here so that a long-running server does not pile them up.
    for (auto it = connections.begin(); it != connections.end();) {
      if (*it->done) {
        it->thread.join();  // it has released `mu` and is only returning
        it = connections.erase(it);
      } else {
        ++it;
      }
    }
    openFds.insert(fd);
    auto done = std::make_shared<bool>(false);
    connections.push_back({std::thread([this, fd, done] { serve(fd, done); }), done});
  }
}

StubServer::StubServer() : impl_(std::make_unique<Impl>()) {
  impl_->listenFd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int one = 1;
  ::setsockopt(impl_->listenFd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  ::bind(impl_->listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::listen(impl_->listenFd, 64);
  socklen_t len = sizeof addr;
  ::getsockname(impl_->listenFd, reinterpret_cast<sockaddr*>(&addr), &len);
  impl_->port = ntohs(addr.sin_port);
  impl_->acceptThread = std::thread([impl = impl_.get()] { impl->acceptLoop(); });
}

StubServer::~StubServer() {
  {
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->stopping = true;
    for (int fd : impl_->openFds) ::shutdown(fd, SHUT_RDWR);
  }
  impl_->stopCv.notify_all();
  ::shutdown(impl_->listenFd, SHUT_RDWR);
  impl_->acceptThread.join();
  ::close(impl_->listenFd);
  // No new connection starts once the accept loop has ended.
  for (auto& c : impl_->connections) c.thread.join();
}

int StubServer::port() const { return impl_->port; }

std::string StubServer::baseUrl() const { return "http://127.0.0.1:" + std::to_string(impl_->port); }

void StubServer::on(const std::string& path, std::function<StubAnswer(const RecordedRequest&)> handler) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->handlers[path] = std::move(handler);
}

void StubServer::enqueue(StubAnswer answer) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->queue.push_back(std::move(answer));
}

void StubServer::enqueueRedirectChain(const std::vector<std::string>& locations, StubAnswer last, int status) {
  std::lock_guard<std::mutex> lock(impl_->mu);
  for (const auto& l : locations) impl_->queue.push_back(redirectTo(l, status));
  impl_->queue.push_back(std::move(last));
}

std::vector<RecordedRequest> StubServer::requests() const {
  std::lock_guard<std::mutex> lock(impl_->mu);
  return impl_->recorded;
}

void StubServer::clearRequests() {
  std::lock_guard<std::mutex> lock(impl_->mu);
  impl_->recorded.clear();
}

}  // namespace stubs
