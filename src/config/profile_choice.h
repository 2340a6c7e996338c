// Which profile serves a feature for a group, chosen from the core switch
// 软件参数/是否所有群使用默认配置 at the moment the feature runs (never remembered between features,
// so a change of the switch during an event can give two features different profiles). The
// records files of a feature lie in the same folder as its profile.
//
// "真" serves every feature from 默认配置 (shared), "假" from the group's own folder. For an absent
// key or another text each feature has its own rule:
//
//   feature                 absent   other text
//   join-request screening  group    none
//   member-join handling    group    group
//   image-text check        none     none
//   forbidden-word check    group    none
//   keyword reply           group    none
//   daily claim             group    group
//   welcome message         group    group
//   order                   group    none
//
// "none": the feature does not run (an order is not placed).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace config {

// The core switch as read now: "真", "假", absent, or another text.
enum class SharedSwitch { On, Off, Absent, Other };
SharedSwitch readSharedSwitch();

// The switch equals "真" (fallback "假").
bool IsSharedMode();

enum class Feature {
  JoinScreening, MemberJoin, ImageTextCheck, ForbiddenWords, KeywordReply, DailyClaim, WelcomePm, Order,
};

struct ProfileChoice {
  std::string folder;   // GBK folder name: "默认配置" or the group number
  bool shared = false;  // the switch read "真": one profile and one set of records for all groups
  std::string profilePath() const;  // ProfilePath(folder)
};

// nullopt: the feature does not run for this group now.
std::optional<ProfileChoice> chooseProfile(Feature feature, SharedSwitch coreSwitch, std::string_view group);
// Reads the core switch now.
std::optional<ProfileChoice> chooseProfile(Feature feature, std::string_view group);

// The part of the rule every feature shares: "默认配置" for "真", the group for "假"; nullopt for an
// absent key or another text, where the feature's own rule applies.
std::optional<std::string> EventProfileFolder(std::string_view group);

// The profile the settings window edits for its selection text: the selection read as a number
// below 1000 (within 1e-7) is the default profile, above 1000 that group's profile, exactly 1000 none.
std::optional<std::string> WindowProfileFolder(std::string_view selection);

}  // namespace config
