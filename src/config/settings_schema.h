// The settings schema: one entry for every setting of the profiles ("机器人参数.ini") and of the
// core file ("核心配置.ini"): its file, section and key, its value in the built-in profile text (if
// the built-in text has it), what the features read when the key is absent, and its form. The
// built-in profile text, every feature's reads and the settings window's bindings derive from it;
// no section or key name of a setting is written anywhere else.
//
// Names are kept in UTF-8 here for reading; sectionOf/keyOf give the GBK bytes that go into files.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace config {

enum class SettingId {
  // Profile: 关键词回复
  MatchMode, KeywordLibrary,
  // Profile: 软件参数
  CardReplies, GiftOnJoin, GiftOnInvite, DailyClaimOn, DailyClaimCommand,
  KickBadName, KickLowLevel, KickFlood, KickAdverts, KickBadSignature,
  // Profile: 群管系统
  ForbiddenWords, ModerationOn, BanMinutes, WithdrawOn, ImageTextCheckOn, Whitelist,
  // Profile: 低等级, QQ名字关键词, QQ签名关键词
  LowLevelOn, LevelLimit, NameWords, SignatureWords,
  // Profile: 自定义话语
  WelcomeReply, ClaimReply, ClaimedTodayReply, InvitationReply, ReturningReply, ReplyTail, LowLevelText,
  // Profile: 对接参数, 亿乐社区, 玖伍社区
  CommunityKind,
  YileAddress, YileGoodsId, YileAccount, YilePassword,
  JiuwuAddress, JiuwuGoodsId, JiuwuGoodsType, JiuwuAccount, JiuwuPassword,
  // Profile: 名片赞数量
  JoinGiftAmount, InviteGiftAmount, DailyClaimAmount,
  // Profile: 进群私聊
  WelcomePm, WelcomePmOn,
  // Core file
  SharedProfileMode, OwnerQQ,
  PortraitService, AvatarService, TextRecognitionService, UpdateService,
};

enum class SettingFile { Profile, Core };

// How a value is stored: a single-line text, a multi-line text with each CR LF stored as "[换行]"
// (EncodeLines/DecodeLines), or a switch that is on when it reads "真".
enum class SettingForm { Text, Lines, Switch };

struct Setting {
  SettingId id;
  SettingFile file;
  std::string_view section;                // UTF-8
  std::string_view key;                    // UTF-8
  std::optional<std::string_view> builtin; // UTF-8 value in the built-in profile text; nullopt: not in it
  std::string_view whenAbsent;             // UTF-8: what the features read when the key is absent
  SettingForm form;
};

// Every setting: the profile's in built-in text order (keys the built-in text lacks stand in their
// section), then the core file's.
std::span<const Setting> allSettings();
const Setting& setting(SettingId id);

// GBK names and the GBK whenAbsent text, converted once.
const std::string& sectionOf(SettingId id);
const std::string& keyOf(SettingId id);
const std::string& whenAbsentOf(SettingId id);

// The switch words "真" and "假" (GBK); a switch is on only when its text equals "真". isOff is for
// the readers that act on "假" and do nothing for any other text.
const std::string& switchOn();
const std::string& switchOff();
bool isOn(std::string_view value);
bool isOff(std::string_view value);

// Reads the setting from the file at `path` (a profile path; CorePath() for core settings) with its
// whenAbsent fallback; findSetting tells an absent key from a stored one. Results are GBK, as
// stored: a Lines value keeps its "[换行]" markers (DecodeLines turns them into line breaks).
std::string readSetting(const std::string& path, SettingId id);
std::optional<std::string> findSetting(const std::string& path, SettingId id);
bool settingIsOn(const std::string& path, SettingId id);
// Writes a GBK value; false when the file could not be written. The settings window's saves at
// each keystroke pass Sync::Unsynced (ini_file.h); everything else keeps the default.
bool writeSetting(const std::string& path, SettingId id, std::string_view value, Sync sync = Sync::Durable);

// The built-in profile text, generated from the profile's settings that have a built-in value, in
// table order: 1,327 GBK bytes, CR LF between lines, no final CR LF.
const std::string& builtinProfileText();

}  // namespace config
