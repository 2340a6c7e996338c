#include "events/profile_choice.h"

namespace events {

std::optional<ProfileChoice> chooseProfile(Feature feature, config::SharedSwitch coreSwitch,
                                           std::string_view group) {
  using config::SharedSwitch;
  switch (coreSwitch) {
    case SharedSwitch::On:
      return ProfileChoice{config::defaultFolder(), true};
    case SharedSwitch::Off:
      return ProfileChoice{std::string(group), false};
    case SharedSwitch::Absent:
      if (feature == Feature::ImageTextCheck) return std::nullopt;
      return ProfileChoice{std::string(group), false};
    case SharedSwitch::Other:
      if (feature == Feature::MemberJoin) return ProfileChoice{std::string(group), false};
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<ProfileChoice> chooseProfile(Feature feature, std::string_view group) {
  return chooseProfile(feature, config::readSharedSwitch(), group);
}

}  // namespace events
