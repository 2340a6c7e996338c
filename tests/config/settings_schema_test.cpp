#include "config/settings_schema.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "config/ini_file.h"
#include "temp_folder.h"
#include "text/gbk.h"

using namespace config;
using text::gbk;

namespace {

TEST(SettingsSchema, BuiltinProfileTextEqualsTheGoldenFile) {
  const std::string golden = fileBytes(BUILTIN_PROFILE_GOLDEN);
  ASSERT_EQ(golden.size(), 1327u);
  EXPECT_EQ(builtinProfileText(), golden);
}

// Every key read back from the generated text gives its built-in value, and a key the built-in
// text lacks is not in it; no setting is listed twice.
TEST(SettingsSchema, BuiltinValuesAndGeneratedTextAgree) {
  TempFolder dir;
  const std::string profile = dir.file("profile.ini");
  putBytes(profile, builtinProfileText());
  std::set<std::pair<std::string, std::string>> seen[2];
  std::size_t index = 0;
  for (const Setting& s : allSettings()) {
    SCOPED_TRACE(std::string(s.section) + "/" + std::string(s.key));
    EXPECT_EQ(static_cast<std::size_t>(s.id), index++);
    EXPECT_EQ(&setting(s.id), &s);
    EXPECT_TRUE(seen[static_cast<int>(s.file)].emplace(s.section, s.key).second) << "listed twice";
    const std::optional<std::string> stored = findSetting(profile, s.id);
    if (s.file == SettingFile::Profile && s.builtin) {
      EXPECT_EQ(stored, gbk(*s.builtin));
      EXPECT_EQ(readSetting(profile, s.id), gbk(*s.builtin));
    } else {
      EXPECT_EQ(stored, std::nullopt);
      EXPECT_EQ(readSetting(profile, s.id), gbk(s.whenAbsent));
    }
    EXPECT_EQ(sectionOf(s.id), gbk(s.section));
    EXPECT_EQ(keyOf(s.id), gbk(s.key));
  }
}

TEST(SettingsSchema, SwitchesAreOnOnlyForTrue) {
  EXPECT_TRUE(isOn(gbk("真")));
  EXPECT_TRUE(isOff(gbk("假")));
  for (const std::string& value : {std::string(), std::string("1"), gbk("是"), gbk("真 ")}) {
    EXPECT_FALSE(isOn(value)) << value;
    EXPECT_FALSE(isOff(value)) << value;
  }

  TempFolder dir;
  const std::string profile = dir.file("profile.ini");
  // Absent, each switch reads as its fallback: 入群是否赠送 counts as on, 是否开启群管 as off.
  EXPECT_TRUE(settingIsOn(profile, SettingId::GiftOnJoin));
  EXPECT_FALSE(settingIsOn(profile, SettingId::ModerationOn));
  ASSERT_TRUE(writeSetting(profile, SettingId::GiftOnJoin, switchOff()));
  ASSERT_TRUE(writeSetting(profile, SettingId::ModerationOn, switchOn()));
  EXPECT_FALSE(settingIsOn(profile, SettingId::GiftOnJoin));
  EXPECT_TRUE(settingIsOn(profile, SettingId::ModerationOn));
  EXPECT_EQ(readIniValue(profile, gbk("软件参数"), gbk("入群是否赠送")), gbk("假"));
  // A key of the same name in another section is another setting.
  ASSERT_TRUE(writeSetting(profile, SettingId::DailyClaimAmount, "5"));
  EXPECT_EQ(findSetting(profile, SettingId::ClaimReply), std::nullopt);
  EXPECT_FALSE(writeSetting(dir.file("missing/profile.ini"), SettingId::OwnerQQ, "1"));
}

}  // namespace
