#include "config/profile_choice.h"

#include <gtest/gtest.h>

#include "config/config_store.h"

namespace {

using config::Feature;
using config::SharedSwitch;

// "D" the default profile (shared), "G" the group's own, "-" the feature does not run.
std::string choice(Feature feature, SharedSwitch value) {
  const auto p = config::chooseProfile(feature, value, "20002");
  if (!p) return "-";
  if (p->folder == config::defaultFolder() && p->shared) return "D";
  if (p->folder == "20002" && !p->shared) return "G";
  return "?" + p->folder;
}

TEST(ProfileChoiceTest, EachFeatureFollowsItsRowForEveryValueOfTheSwitch) {
  struct Row {
    Feature feature;
    const char* on;
    const char* off;
    const char* absent;
    const char* other;
  };
  const Row rows[] = {
      {Feature::JoinScreening, "D", "G", "G", "-"},  {Feature::MemberJoin, "D", "G", "G", "G"},
      {Feature::ImageTextCheck, "D", "G", "-", "-"}, {Feature::ForbiddenWords, "D", "G", "G", "-"},
      {Feature::KeywordReply, "D", "G", "G", "-"},   {Feature::DailyClaim, "D", "G", "G", "G"},
      {Feature::WelcomePm, "D", "G", "G", "G"},      {Feature::Order, "D", "G", "G", "-"},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.feature));
    EXPECT_EQ(choice(r.feature, SharedSwitch::On), r.on);
    EXPECT_EQ(choice(r.feature, SharedSwitch::Off), r.off);
    EXPECT_EQ(choice(r.feature, SharedSwitch::Absent), r.absent);
    EXPECT_EQ(choice(r.feature, SharedSwitch::Other), r.other);
  }
}

}  // namespace
