// ForwardClient: connects to a OneBot implementation's WebSocket server ("forward WebSocket",
// ws://host:port/path) and keeps one link open. After a failed attempt or a lost link it tries
// again after a delay that starts at `firstDelay` and doubles up to `maxDelay`; a link that was
// established starts the count again. The token goes out as "Authorization: Bearer <token>".
// The robot's QQ is taken from the answer's X-Self-ID when the server sends one, else "".
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "onebot/link.h"

namespace onebot {

struct ForwardClientOptions {
  std::string url;  // "ws://127.0.0.1:3001" (path "/" when none is given); TLS is not offered
  std::string token;
  std::chrono::milliseconds firstDelay{1000};
  std::chrono::milliseconds maxDelay{30000};
  std::size_t readLimit = kDefaultReadLimit;
  // One call per failed attempt or lost link: why, and the delay before the next attempt.
  std::function<void(const std::string& why, std::chrono::milliseconds delay)> onRetry;
};

class ForwardClient : public Transport {
 public:
  // Starts connecting on its own network thread; nullptr with *error set for a URL it cannot use.
  static std::unique_ptr<ForwardClient> start(ForwardClientOptions options, LinkHandlers handlers,
                                              std::string* error);
  ~ForwardClient() override;  // closes the link (reported), stops trying, stops the thread

  void send(LinkId link, std::string frame) override;
  void resume(LinkId link) override;
  void close(LinkId link) override;  // the client reconnects after the delay

  struct Impl;

 private:
  explicit ForwardClient(std::unique_ptr<Impl> impl);
  std::unique_ptr<Impl> impl_;
};

}  // namespace onebot
