// ReverseServer: the WebSocket server that OneBot implementations connect to ("reverse
// WebSocket"), one link per robot, several robots at once.
//
// A connection is taken only when it asks for the configured path (query ignored), names its robot
// in X-Self-ID (digits), takes the Universal role (X-Client-Role, any letter case) and, when a
// token is configured, carries it (see auth.h; a wrong or missing one gets 401). Any other
// connection gets an HTTP refusal, is closed and reaches no handler; the server goes on. A newer
// link of a robot replaces the older one (the older is reported closed first).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "onebot/link.h"

namespace onebot {

struct ReverseServerOptions {
  std::string address = "127.0.0.1";  // IPv4 or IPv6 literal
  std::uint16_t port = 0;              // 0: a free port, see port()
  std::string path = "/onebot/v11/ws";
  std::string token;                   // "" lets every peer in
  std::size_t readLimit = kDefaultReadLimit;
  // One line per refused connection ("401 wrong token from 127.0.0.1:5555"), network thread.
  std::function<void(const std::string&)> onRefused;
};

class ReverseServer : public Transport {
 public:
  // Binds and starts listening on its own network thread; nullptr with *error set when the address
  // cannot be bound.
  static std::unique_ptr<ReverseServer> listen(ReverseServerOptions options, LinkHandlers handlers,
                                               std::string* error);
  ~ReverseServer() override;  // closes every link (each reported), then stops the thread

  std::uint16_t port() const;  // the port listened on
  void send(LinkId link, std::string frame) override;
  void resume(LinkId link) override;
  void close(LinkId link) override;

  struct Impl;

 private:
  explicit ReverseServer(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace onebot
