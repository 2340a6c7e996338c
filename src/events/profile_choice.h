// The profile each event feature works with, chosen from the core switch
// 软件参数/是否所有群使用默认配置 at the moment the feature runs (never remembered between features,
// so a change of the switch during an event can give two features different profiles).
//
//   feature                 "真"       "假"    absent   other text
//   join-request screening  默认配置   group   group    none
//   member-join handling    默认配置   group   group    group
//   image-text check        默认配置   group   none     none
//   forbidden-word check    默认配置   group   group    none
//   keyword reply           默认配置   group   group    none
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/config_store.h"

namespace events {

enum class Feature { JoinScreening, MemberJoin, ImageTextCheck, ForbiddenWords, KeywordReply };

struct ProfileChoice {
  std::string folder;   // GBK folder name: "默认配置" or the group number
  bool shared = false;  // the core switch read "真": one profile and one set of records for all groups
  std::string profilePath() const { return config::ProfilePath(folder); }
};

// nullopt: the feature does not run for this event.
std::optional<ProfileChoice> chooseProfile(Feature feature, config::SharedSwitch coreSwitch,
                                           std::string_view group);
// Reads the core switch now.
std::optional<ProfileChoice> chooseProfile(Feature feature, std::string_view group);

}  // namespace events
