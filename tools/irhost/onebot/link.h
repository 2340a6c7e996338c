// Links: one WebSocket connection with one OneBot implementation (one robot), whichever side
// opened it. The reverse server and the forward client both hand their links to the same handlers
// and take the same orders, so the bridge above does not care which transport a robot came by.
//
// Handlers run on the transport's network thread and must not block there: they queue work and
// return. Orders may be given from any thread; an order for a link that is gone does nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace onebot {

using LinkId = std::uint64_t;  // unique in the process, never reused

// Default largest frame read: generous for the group list of a robot in thousands of groups, far
// below anything that could hurt the process. A longer frame closes its link, nothing else.
inline constexpr std::size_t kDefaultReadLimit = 4u << 20;

enum class ReadControl { Continue, Pause };

struct LinkHandlers {
  // A link is open. `selfId` is the robot's QQ as the peer announced it (X-Self-ID), or "" when the
  // peer did not say (the forward client learns it from the first event).
  std::function<void(LinkId, const std::string& selfId)> onOpen;
  // One text frame as received (UTF-8 JSON from a well-behaved peer, anything from another).
  // Pause stops reading this link until resume(): the peer is held back by TCP, nothing is lost.
  std::function<ReadControl(LinkId, std::string frame)> onFrame;
  // The link is gone (peer closed, error, frame over the limit, replaced by a newer link of the
  // same robot, transport stopped). Called once for every link that was opened, never before its
  // onOpen; no frame of the link follows it.
  std::function<void(LinkId, const std::string& reason)> onClose;
};

class Transport {
 public:
  virtual ~Transport() = default;
  virtual void send(LinkId link, std::string frame) = 0;  // queued in order, one text frame each
  virtual void resume(LinkId link) = 0;                   // reading goes on after a Pause
  virtual void close(LinkId link) = 0;                    // closes the link (onClose follows)
};

}  // namespace onebot
