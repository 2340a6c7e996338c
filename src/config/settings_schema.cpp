#include "config/settings_schema.h"

#include <array>
#include <cstddef>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "text/gbk.h"

namespace config {

namespace {

using enum SettingId;
using enum SettingForm;
constexpr SettingFile kProfile = SettingFile::Profile;
constexpr SettingFile kCore = SettingFile::Core;
constexpr std::optional<std::string_view> kNotBuiltin = std::nullopt;

// The profile's settings in the order of the built-in text; a key the built-in text lacks stands
// in its section. Then the core file's.
constexpr Setting kSettings[] = {
    {MatchMode, kProfile, "关键词回复", "消息匹配模式", "1", "0", Text},
    {KeywordLibrary, kProfile, "关键词回复", "词库", "朔禾---朔禾引流插件[/n]争做名片赞引流插件领军品牌", "", Lines},

    {CardReplies, kProfile, "软件参数", "xml", "假", "", Switch},
    // Absent, newcomers are rewarded all the same (the settings window shows the switch unchecked).
    {GiftOnJoin, kProfile, "软件参数", "入群是否赠送", kNotBuiltin, "真", Switch},
    {GiftOnInvite, kProfile, "软件参数", "邀请是否赠送", "真", "真", Switch},
    {DailyClaimOn, kProfile, "软件参数", "是否开启每日领取", "假", "假", Switch},
    {DailyClaimCommand, kProfile, "软件参数", "每日领取口令", "领取名片赞", "领取名片赞", Text},
    // Shown and saved by the settings window; only 是否踢出广告 changes what the robot does.
    {KickBadName, kProfile, "软件参数", "是否踢出名称违禁", kNotBuiltin, "", Switch},
    {KickLowLevel, kProfile, "软件参数", "是否踢出低等级", kNotBuiltin, "", Switch},
    {KickFlood, kProfile, "软件参数", "是否踢出刷屏", kNotBuiltin, "", Switch},
    {KickAdverts, kProfile, "软件参数", "是否踢出广告", kNotBuiltin, "", Switch},
    {KickBadSignature, kProfile, "软件参数", "是否踢出个签违禁", kNotBuiltin, "", Switch},

    {ForbiddenWords, kProfile, "群管系统", "禁言关键词", "", "", Text},
    {ModerationOn, kProfile, "群管系统", "是否开启群管", "真", "", Switch},
    {BanMinutes, kProfile, "群管系统", "关键词禁言时间", "38", "", Text},
    {WithdrawOn, kProfile, "群管系统", "是否撤回消息", "真", "", Switch},
    {ImageTextCheckOn, kProfile, "群管系统", "是否开启图片文字检测", "真", "", Switch},
    {Whitelist, kProfile, "群管系统", "QQ白名单", "", "", Text},

    {LowLevelOn, kProfile, "低等级", "是否开启", "假", "假", Switch},
    {LevelLimit, kProfile, "低等级", "等级", "9999", "", Text},
    {NameWords, kProfile, "QQ名字关键词", "QQ名字关键词", "", "", Text},
    {SignatureWords, kProfile, "QQ签名关键词", "QQ签名关键词", "", "", Text},

    {WelcomeReply, kProfile, "自定义话语", "入群消息",
     "[@入群QQ号][换行][入群QQ头像][换行][入群QQ]([入群QQ名称])感谢您加入本群[换行]特别奖励您[入群赠送数量][换行]"
     "订单状态:[订单状态][换行][小尾巴][换行][现在时间]",
     "", Lines},
    {ClaimReply, kProfile, "自定义话语", "每日领取",
     "[@领取QQ号][换行][领取QQ头像][换行]用户QQ名字:[领取QQ名称][换行]恭喜您成功领取[领取赠送数量]名片赞[换行]"
     "订单状态:[订单状态][换行][小尾巴][换行][现在时间]",
     "", Lines},
    {ClaimedTodayReply, kProfile, "自定义话语", "今日已领取",
     "[领取QQ头像][换行]每日领取赠送:[领取赠送数量][换行]领取QQ:[领取QQ][换行]领取QQ名称:[领取QQ名称][换行]"
     "领取状态:领取失败[换行]领取失败原因:您今天已经领取过了[换行][现在时间]",
     "", Lines},
    {InvitationReply, kProfile, "自定义话语", "邀请消息",
     "感谢[@邀请QQ号]邀请[@入群QQ号]加入本群[换行]奖励[入群QQ] [入群赠送数量]名片赞[换行]奖励[邀请QQ] "
     "[邀请赠送数量]名片赞[换行]入群订单状态:[入群订单状态][换行]邀请订单状态:[邀请订单状态][换行][换行]"
     "[小尾巴][换行][现在时间]",
     "", Lines},
    {ReturningReply, kProfile, "自定义话语", "重复入群", "[@入群QQ号]", "", Lines},
    // Absent, the tail is a line break of its own.
    {ReplyTail, kProfile, "自定义话语", "小尾巴", "", "[换行]", Lines},
    // Shown on the settings window's level page for the default profile; nothing writes it.
    {LowLevelText, kProfile, "自定义话语", "低等级", kNotBuiltin, "", Lines},

    {CommunityKind, kProfile, "对接参数", "社区类型", "1", "0", Text},
    {YileAddress, kProfile, "亿乐社区", "地址", kNotBuiltin, "", Text},
    {YileGoodsId, kProfile, "亿乐社区", "商品id", kNotBuiltin, "", Text},
    {YileAccount, kProfile, "亿乐社区", "账号", kNotBuiltin, "", Text},
    {YilePassword, kProfile, "亿乐社区", "密码", kNotBuiltin, "", Text},
    {JiuwuAddress, kProfile, "玖伍社区", "地址", kNotBuiltin, "", Text},
    {JiuwuGoodsId, kProfile, "玖伍社区", "goodsid", kNotBuiltin, "", Text},
    {JiuwuGoodsType, kProfile, "玖伍社区", "goodtype", kNotBuiltin, "", Text},
    {JiuwuAccount, kProfile, "玖伍社区", "账号", kNotBuiltin, "", Text},
    {JiuwuPassword, kProfile, "玖伍社区", "密码", kNotBuiltin, "", Text},

    {JoinGiftAmount, kProfile, "名片赞数量", "入群赠送", "100", "", Text},
    {InviteGiftAmount, kProfile, "名片赞数量", "邀请赠送", "100", "", Text},
    {DailyClaimAmount, kProfile, "名片赞数量", "每日领取", "100", "", Text},

    // Stored exactly as typed: no line markers.
    {WelcomePm, kProfile, "进群私聊", "进群私聊", "欢迎QQ号为[QQ]的玩家[网名]加入[群号]。祝你在本群玩的愉快。", "", Text},
    {WelcomePmOn, kProfile, "进群私聊", "是否开启", kNotBuiltin, "假", Switch},

    // Absent, each feature applies its own rule (profile_choice.h); "假" is what a plain read gives.
    {SharedProfileMode, kCore, "软件参数", "是否所有群使用默认配置", kNotBuiltin, "假", Switch},
    {OwnerQQ, kCore, "主人QQ", "主人QQ", kNotBuiltin, "", Text},
    // Base addresses of the outside services; an empty entry counts as absent (serviceAddress).
    {PortraitService, kCore, "服务地址", "昵称服务", kNotBuiltin, "http://r.qzone.qq.com", Text},
    {AvatarService, kCore, "服务地址", "头像服务", kNotBuiltin, "http://q1.qlogo.cn", Text},
    {TextRecognitionService, kCore, "服务地址", "文字识别服务", kNotBuiltin, "", Text},
    {UpdateService, kCore, "服务地址", "更新服务", kNotBuiltin, "", Text},
};

constexpr std::size_t kCount = std::size(kSettings);

// setting(id) indexes the table by id, so the table must list every id once, in enum order.
constexpr bool tableFollowsEnum() {
  for (std::size_t i = 0; i < kCount; ++i)
    if (static_cast<std::size_t>(kSettings[i].id) != i) return false;
  return kSettings[kCount - 1].id == UpdateService;
}
static_assert(tableFollowsEnum(), "kSettings must list every SettingId once, in the order of the enum");

// The GBK spellings of one setting's texts, converted once.
struct GbkNames {
  std::string section, key, whenAbsent;
};

const std::array<GbkNames, kCount>& gbkNames() {
  static const std::array<GbkNames, kCount> names = [] {
    std::array<GbkNames, kCount> n;
    for (std::size_t i = 0; i < kCount; ++i)
      n[i] = {text::gbk(kSettings[i].section), text::gbk(kSettings[i].key), text::gbk(kSettings[i].whenAbsent)};
    return n;
  }();
  return names;
}

const GbkNames& gbkOf(SettingId id) { return gbkNames()[static_cast<std::size_t>(id)]; }

std::string buildProfileText() {
  std::string utf8;
  std::string_view section;
  for (const Setting& s : kSettings) {
    if (s.file != kProfile || !s.builtin) continue;
    if (s.section != section) {
      if (!utf8.empty()) utf8.append("\r\n");
      utf8.append("[").append(s.section).append("]");
      section = s.section;
    }
    // CR LF between lines only: the text has no final line break.
    utf8.append("\r\n").append(s.key).append("=").append(*s.builtin);
  }
  return text::gbk(utf8);
}

}  // namespace

std::span<const Setting> allSettings() { return kSettings; }

const Setting& setting(SettingId id) { return kSettings[static_cast<std::size_t>(id)]; }

const std::string& sectionOf(SettingId id) { return gbkOf(id).section; }
const std::string& keyOf(SettingId id) { return gbkOf(id).key; }
const std::string& whenAbsentOf(SettingId id) { return gbkOf(id).whenAbsent; }

const std::string& switchOn() {
  static const std::string word = text::gbk("真");
  return word;
}

const std::string& switchOff() {
  static const std::string word = text::gbk("假");
  return word;
}

bool isOn(std::string_view value) { return value == switchOn(); }
bool isOff(std::string_view value) { return value == switchOff(); }

std::string readSetting(const std::string& path, SettingId id) {
  const GbkNames& n = gbkOf(id);
  return ReadValue(path, n.section, n.key, n.whenAbsent);
}

std::optional<std::string> findSetting(const std::string& path, SettingId id) {
  const GbkNames& n = gbkOf(id);
  return findIniValue(path, n.section, n.key);
}

bool settingIsOn(const std::string& path, SettingId id) { return isOn(readSetting(path, id)); }

bool writeSetting(const std::string& path, SettingId id, std::string_view value, Sync sync) {
  const GbkNames& n = gbkOf(id);
  return writeIniValue(path, n.section, n.key, value, sync);
}

const std::string& builtinProfileText() {
  static const std::string text = buildProfileText();
  return text;
}

}  // namespace config
