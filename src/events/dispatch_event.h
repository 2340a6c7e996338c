// dispatchEvent: routes one host event to the features of its kind, in a fixed order, each with
// the profile it chooses from the core switch. Returns when every feature is done; nothing is kept.
#pragma once

#include <cstdint>
#include <string>

namespace events {

struct HostEvent {
  std::string robotQQ;
  int32_t kind = 0;
  std::string group;
  std::string activeQQ;
  std::string passiveQQ;
  std::string message;
  std::string messageNo;
  std::string messageId;
};

void dispatchEvent(const HostEvent& event);

}  // namespace events
