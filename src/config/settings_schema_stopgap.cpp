// A small stand-in for the settings schema until its own implementation lands.
#include <vector>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "config/settings_schema.h"
#include "text/gbk.h"

namespace config {

namespace {

using enum SettingId;
constexpr auto P = SettingFile::Profile;
constexpr auto C = SettingFile::Core;
constexpr auto T = SettingForm::Text;
constexpr auto L = SettingForm::Lines;
constexpr auto S = SettingForm::Switch;
constexpr std::optional<std::string_view> none = std::nullopt;

const Setting kSettings[] = {
    {MatchMode, P, "关键词回复", "消息匹配模式", "1", "0", T},
    {KeywordLibrary, P, "关键词回复", "词库", "朔禾---朔禾引流插件[/n]争做名片赞引流插件领军品牌", "", L},
    {CardReplies, P, "软件参数", "xml", "假", "假", S},
    {GiftOnJoin, P, "软件参数", "入群是否赠送", none, "真", S},
    {GiftOnInvite, P, "软件参数", "邀请是否赠送", "真", "真", S},
    {DailyClaimOn, P, "软件参数", "是否开启每日领取", "假", "假", S},
    {DailyClaimCommand, P, "软件参数", "每日领取口令", "领取名片赞", "领取名片赞", T},
    {KickBadName, P, "软件参数", "是否踢出名称违禁", none, "假", S},
    {KickLowLevel, P, "软件参数", "是否踢出低等级", none, "假", S},
    {KickFlood, P, "软件参数", "是否踢出刷屏", none, "假", S},
    {KickAdverts, P, "软件参数", "是否踢出广告", none, "假", S},
    {KickBadSignature, P, "软件参数", "是否踢出个签违禁", none, "假", S},
    {ForbiddenWords, P, "群管系统", "禁言关键词", "", "", T},
    {ModerationOn, P, "群管系统", "是否开启群管", "真", "假", S},
    {BanMinutes, P, "群管系统", "关键词禁言时间", "38", "", T},
    {WithdrawOn, P, "群管系统", "是否撤回消息", "真", "假", S},
    {ImageTextCheckOn, P, "群管系统", "是否开启图片文字检测", "真", "假", S},
    {Whitelist, P, "群管系统", "QQ白名单", "", "", T},
    {LowLevelOn, P, "低等级", "是否开启", "假", "假", S},
    {LevelLimit, P, "低等级", "等级", "9999", "", T},
    {NameWords, P, "QQ名字关键词", "QQ名字关键词", "", "", T},
    {SignatureWords, P, "QQ签名关键词", "QQ签名关键词", "", "", T},
    {WelcomeReply, P, "自定义话语", "入群消息", "", "", L},
    {ClaimReply, P, "自定义话语", "每日领取", "", "", L},
    {ClaimedTodayReply, P, "自定义话语", "今日已领取", "", "", L},
    {InvitationReply, P, "自定义话语", "邀请消息", "", "", L},
    {ReturningReply, P, "自定义话语", "重复入群", "[@入群QQ号]", "", L},
    {ReplyTail, P, "自定义话语", "小尾巴", "", "[换行]", L},
    {LowLevelText, P, "自定义话语", "低等级", none, "", L},
    {CommunityKind, P, "对接参数", "社区类型", "1", "0", T},
    {YileAddress, P, "亿乐社区", "地址", none, "", T},
    {YileGoodsId, P, "亿乐社区", "商品id", none, "", T},
    {YileAccount, P, "亿乐社区", "账号", none, "", T},
    {YilePassword, P, "亿乐社区", "密码", none, "", T},
    {JiuwuAddress, P, "玖伍社区", "地址", none, "", T},
    {JiuwuGoodsId, P, "玖伍社区", "goodsid", none, "", T},
    {JiuwuGoodsType, P, "玖伍社区", "goodtype", none, "", T},
    {JiuwuAccount, P, "玖伍社区", "账号", none, "", T},
    {JiuwuPassword, P, "玖伍社区", "密码", none, "", T},
    {JoinGiftAmount, P, "名片赞数量", "入群赠送", "100", "", T},
    {InviteGiftAmount, P, "名片赞数量", "邀请赠送", "100", "", T},
    {DailyClaimAmount, P, "名片赞数量", "每日领取", "100", "", T},
    {WelcomePm, P, "进群私聊", "进群私聊", "欢迎QQ号为[QQ]的玩家[网名]加入[群号]。祝你在本群玩的愉快。", "", T},
    {WelcomePmOn, P, "进群私聊", "是否开启", none, "假", S},
    {SharedProfileMode, C, "软件参数", "是否所有群使用默认配置", none, "假", S},
    {OwnerQQ, C, "主人QQ", "主人QQ", none, "", T},
    {PortraitService, C, "服务地址", "昵称服务", none, "", T},
    {AvatarService, C, "服务地址", "头像服务", none, "", T},
    {TextRecognitionService, C, "服务地址", "文字识别服务", none, "", T},
    {UpdateService, C, "服务地址", "更新服务", none, "", T},
};

struct GbkNames {
  std::vector<std::string> sections, keys, absent;
  GbkNames() {
    for (const Setting& s : kSettings) {
      sections.push_back(text::gbk(s.section));
      keys.push_back(text::gbk(s.key));
      absent.push_back(text::gbk(s.whenAbsent));
    }
  }
};

const GbkNames& names() {
  static const GbkNames n;
  return n;
}

std::size_t indexOf(SettingId id) {
  for (std::size_t i = 0; i < std::size(kSettings); ++i)
    if (kSettings[i].id == id) return i;
  return 0;
}

}  // namespace

std::span<const Setting> allSettings() { return kSettings; }
const Setting& setting(SettingId id) { return kSettings[indexOf(id)]; }
const std::string& sectionOf(SettingId id) { return names().sections[indexOf(id)]; }
const std::string& keyOf(SettingId id) { return names().keys[indexOf(id)]; }

const std::string& switchOn() {
  static const std::string word = text::gbk("真");
  return word;
}
const std::string& switchOff() {
  static const std::string word = text::gbk("假");
  return word;
}
bool isOn(std::string_view value) { return value == switchOn(); }

std::string readSetting(const std::string& path, SettingId id) {
  return readIniValue(path, sectionOf(id), keyOf(id), names().absent[indexOf(id)]);
}
std::optional<std::string> findSetting(const std::string& path, SettingId id) {
  return findIniValue(path, sectionOf(id), keyOf(id));
}
bool settingIsOn(const std::string& path, SettingId id) { return isOn(readSetting(path, id)); }
bool writeSetting(const std::string& path, SettingId id, std::string_view value) {
  return writeIniValue(path, sectionOf(id), keyOf(id), value);
}

}  // namespace config
