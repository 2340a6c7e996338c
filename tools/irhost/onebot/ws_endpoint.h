// The machinery the two WebSocket transports share (internal to them): a network thread with its
// own io_context, the open links of that thread and the read/write pump of one link. Everything
// in here runs on the network thread except the Transport orders, which are posted to it.
#pragma once

// Boost 1.74's asio uses std::exchange without including <utility> itself (an error in C++20).
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>

#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>

#include "onebot/link.h"

namespace onebot::detail {

namespace beast = boost::beast;
namespace net = boost::asio;
using WsStream = beast::websocket::stream<beast::tcp_stream>;

inline std::string_view view(beast::string_view s) { return {s.data(), s.size()}; }

class Endpoint;

class Session : public std::enable_shared_from_this<Session> {
 public:
  Session(Endpoint& owner, WsStream ws, LinkId id, std::string selfId);
  void start();
  void send(std::string frame);
  void resume();
  // Reports the link gone at once; `polite` sends a close frame first, otherwise the socket is cut.
  void close(const std::string& reason, bool polite);
  const std::string& selfId() const { return selfId_; }

 private:
  void read();
  void write();
  void finish(const std::string& reason);  // reports the link gone, once
  void cut();                              // closes the socket, cancelling what is in flight

  Endpoint& owner_;
  WsStream ws_;
  LinkId id_;
  std::string selfId_;
  beast::flat_buffer buffer_;
  std::deque<std::string> out_;
  bool writing_ = false;
  bool reading_ = false;
  bool paused_ = false;
  bool finished_ = false;
};

class Endpoint : public Transport {
 public:
  Endpoint(LinkHandlers handlers, std::size_t readLimit);
  ~Endpoint() override;
  void send(LinkId link, std::string frame) override;
  void resume(LinkId link) override;
  void close(LinkId link) override;

 protected:
  // Starts the network thread; call at the end of the derived constructor.
  void run();
  // Closes every link (reporting each), calls stopping() on the network thread, then joins the
  // thread. Derived destructors call it first. Must not be called from a handler.
  void stop();
  virtual void stopping() {}
  // A link was reported gone (network thread).
  virtual void linkGone(LinkId) {}
  // Takes over a handshaken stream as a new link of `selfId`; a link of the same robot is replaced.
  void adopt(WsStream ws, const std::string& selfId);
  bool stopped() const { return stopped_; }

  net::io_context ioc_;

 private:
  friend class Session;
  std::shared_ptr<Session> find(LinkId link);

  LinkHandlers handlers_;
  std::size_t readLimit_;
  std::unordered_map<LinkId, std::shared_ptr<Session>> links_;
  std::thread thread_;
  bool stopped_ = false;
};

}  // namespace onebot::detail
