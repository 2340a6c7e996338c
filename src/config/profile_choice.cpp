#include "config/profile_choice.h"

#include "config/config_store.h"
#include "config/settings_schema.h"
#include "text/numbers.h"

namespace config {

namespace {

// What a feature does for a switch that is neither "真" nor "假".
enum class Otherwise { Group, None };

struct Rule {
  Feature feature;
  Otherwise absent;
  Otherwise other;
};

using enum Otherwise;
constexpr Rule kRules[] = {
    {Feature::JoinScreening, Group, None},  {Feature::MemberJoin, Group, Group},
    {Feature::ImageTextCheck, None, None},  {Feature::ForbiddenWords, Group, None},
    {Feature::KeywordReply, Group, None},   {Feature::DailyClaim, Group, Group},
    {Feature::WelcomePm, Group, Group},     {Feature::Order, Group, None},
};

constexpr bool rulesFollowEnum() {
  for (std::size_t i = 0; i < std::size(kRules); ++i)
    if (static_cast<std::size_t>(kRules[i].feature) != i) return false;
  return kRules[std::size(kRules) - 1].feature == Feature::Order;
}
static_assert(rulesFollowEnum(), "kRules must hold one row per Feature, in the order of the enum");

std::optional<ProfileChoice> sharedChoice(SharedSwitch coreSwitch, std::string_view group) {
  if (coreSwitch == SharedSwitch::On) return ProfileChoice{defaultFolder(), true};
  if (coreSwitch == SharedSwitch::Off) return ProfileChoice{std::string(group), false};
  return std::nullopt;
}

}  // namespace

std::string ProfileChoice::profilePath() const { return ProfilePath(folder); }

SharedSwitch readSharedSwitch() {
  const std::optional<std::string> value = findSetting(CorePath(), SettingId::SharedProfileMode);
  if (!value) return SharedSwitch::Absent;
  if (isOn(*value)) return SharedSwitch::On;
  if (isOff(*value)) return SharedSwitch::Off;
  return SharedSwitch::Other;
}

bool IsSharedMode() { return settingIsOn(CorePath(), SettingId::SharedProfileMode); }

std::optional<ProfileChoice> chooseProfile(Feature feature, SharedSwitch coreSwitch, std::string_view group) {
  if (auto choice = sharedChoice(coreSwitch, group)) return choice;
  const Rule& rule = kRules[static_cast<std::size_t>(feature)];
  const Otherwise otherwise = coreSwitch == SharedSwitch::Absent ? rule.absent : rule.other;
  if (otherwise == Group) return ProfileChoice{std::string(group), false};
  return std::nullopt;
}

std::optional<ProfileChoice> chooseProfile(Feature feature, std::string_view group) {
  return chooseProfile(feature, readSharedSwitch(), group);
}

std::optional<std::string> EventProfileFolder(std::string_view group) {
  if (auto choice = sharedChoice(readSharedSwitch(), group)) return choice->folder;
  return std::nullopt;
}

std::optional<std::string> WindowProfileFolder(std::string_view selection) {
  const double number = text::readNumber(selection);
  if (text::numberLess(number, 1000)) return defaultFolder();
  if (text::numberGreater(number, 1000)) return std::string(selection);
  return std::nullopt;
}

}  // namespace config
