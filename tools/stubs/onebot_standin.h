// OneBotStandin: a OneBot v11 implementation as the bridge meets it, on loopback. It connects to
// the bridge's reverse WebSocket server with the implementation's headers (X-Self-ID,
// X-Client-Role, Authorization) or listens for the bridge's forward client, sends events in array
// form (a lifecycle event first), and answers actions from a script: late, out of order, failing,
// never, or by dropping the connection. Faults are whatever a test sends with sendRaw() or asks
// for in the options (wrong token, no X-Self-ID, wrong role or path). One connection at a time.
#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace stubs {

struct OneBotConnectOptions {
  std::string selfId = "10001";
  bool sendSelfId = true;
  std::string role = "Universal";
  std::string token;  // sent as "Authorization: Bearer <token>" (empty value when "", as NapCat does)
  std::string path = "/onebot/v11/ws";
};

// Field names of get_stranger_info differ by implementation.
enum class OneBotFlavor { NapCat, LLOneBot, Lagrange };

class OneBotStandin {
 public:
  OneBotStandin();
  ~OneBotStandin();
  OneBotStandin(const OneBotStandin&) = delete;
  OneBotStandin& operator=(const OneBotStandin&) = delete;

  // Reverse WebSocket: connects to ws://127.0.0.1:<port><path>. Returns the HTTP status of the
  // bridge's answer: 101 when the link is up, 401/400/404 for a refusal, 0 without an answer.
  int connect(std::uint16_t port, const OneBotConnectOptions& options);
  // Forward WebSocket: listens on 127.0.0.1 at a free port; a client without `token` (when one is
  // set) gets 401. Returns the port.
  std::uint16_t listen(const std::string& token, const std::string& selfId);
  int handshakesRefused() const;  // forward mode: clients turned away

  bool waitConnected(std::chrono::milliseconds limit) const;
  bool waitDisconnected(std::chrono::milliseconds limit) const;  // the bridge closed or dropped it

  void sendEvent(const nlohmann::json& event);
  void sendRaw(std::string frame);  // any bytes as one text frame
  void drop();                      // cuts the TCP connection, no close frame

  // The reply to `action`: status ok with `data`, after `delay`. Unscripted actions get ok/null at once.
  void answer(const std::string& action, nlohmann::json data, std::chrono::milliseconds delay = {});
  // The reply to `action` computed from the request's params (ok with what `reply` returns), at once.
  void respond(const std::string& action, std::function<nlohmann::json(const nlohmann::json& params)> reply);
  void fail(const std::string& action, int retcode, const std::string& message);
  void ignore(const std::string& action);        // never answered
  void dropOn(const std::string& action);        // the connection is cut when it arrives
  std::vector<nlohmann::json> actions() const;   // every request received, in order
  bool waitForActions(std::size_t count, std::chrono::milliseconds limit) const;

  static nlohmann::json groupMessage(const std::string& selfId, long long group, long long user,
                                     long long messageId, nlohmann::json segments);
  static nlohmann::json memberIncrease(const std::string& selfId, long long group, long long user,
                                       long long operatorId, const std::string& subType);
  static nlohmann::json joinRequest(const std::string& selfId, long long group, long long user,
                                    const std::string& comment, const std::string& flag, long long invitor = 0);
  static nlohmann::json heartbeat(const std::string& selfId);
  static nlohmann::json strangerInfo(OneBotFlavor flavor, long long user, const std::string& nickname,
                                     int level, const std::string& signature);

  struct Impl;

 private:
  std::shared_ptr<Impl> impl_;
};

}  // namespace stubs
