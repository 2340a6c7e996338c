// The bounds every request of the two HTTP clients runs within, whatever the peer does: an overall
// deadline for the whole exchange (connecting, sending, waiting, reading, redirects included) and a
// cap on the body bytes kept. A site that drips its answer or floods it can hold a host thread no
// longer than the deadline and make it hold no more of the body than the cap.
#pragma once

#include <chrono>
#include <cstddef>

namespace net {

inline constexpr std::chrono::milliseconds kRequestDeadline{30000};
inline constexpr std::size_t kMaxBodyBytes = std::size_t{16} * 1024 * 1024;

}  // namespace net
