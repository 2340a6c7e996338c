#include "events/event_numbers.h"

#include <string_view>

#include "hostapi/event_kind.h"
#include "text/numbers.h"

namespace events {

namespace {

constexpr std::size_t kShownBytes = 32;

std::optional<std::string> check(std::string_view field, const std::string& value, bool mayBeEmpty) {
  if (mayBeEmpty && value.empty()) return std::nullopt;
  if (text::isPlainNumber(value)) return std::nullopt;
  std::string shown = value;
  if (shown.size() > kShownBytes) {
    // Cut on a character boundary of the GBK text: a lead byte is 0x81 or above.
    std::size_t end = 0;
    while (end < shown.size()) {
      const std::size_t step = static_cast<unsigned char>(shown[end]) >= 0x81 ? 2 : 1;
      if (end + step > kShownBytes) break;
      end += step;
    }
    shown = shown.substr(0, end) + "...";
  }
  return std::string(field) + "=" + shown;
}

}  // namespace

std::optional<std::string> malformedEventNumber(const HostEvent& event) {
  using namespace hostapi::event_kind;
  const int32_t kind = event.kind;
  const bool join = kind == kMemberJoined || kind == kMemberInvited;
  if (kind != kGroupMessage && !join && !isJoinRequest(kind)) return std::nullopt;
  if (auto bad = check("group", event.group, false)) return bad;
  // The sender of a message and the applicant of a request always exist; the operator of a join
  // is empty when the newcomer came in by himself.
  if (auto bad = check("activeQQ", event.activeQQ, join)) return bad;
  if (join) return check("passiveQQ", event.passiveQQ, false);
  return std::nullopt;
}

}  // namespace events
