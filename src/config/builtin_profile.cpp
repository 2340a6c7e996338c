#include "config/config_store.h"

#include "text/gbk.h"

namespace config {

namespace {

// The profile a new installation or a newly selected group starts from, line by line.
constexpr const char* kBuiltinLines[] = {
    "[关键词回复]",
    "消息匹配模式=1",
    "词库=朔禾---朔禾引流插件[/n]争做名片赞引流插件领军品牌",
    "[软件参数]",
    "xml=假",
    "邀请是否赠送=真",
    "是否开启每日领取=假",
    "每日领取口令=领取名片赞",
    "[群管系统]",
    "禁言关键词=",
    "是否开启群管=真",
    "关键词禁言时间=38",
    "是否撤回消息=真",
    "是否开启图片文字检测=真",
    "QQ白名单=",
    "[低等级]",
    "是否开启=假",
    "等级=9999",
    "[QQ名字关键词]",
    "QQ名字关键词=",
    "[QQ签名关键词]",
    "QQ签名关键词=",
    "[自定义话语]",
    "入群消息=[@入群QQ号][换行][入群QQ头像][换行][入群QQ]([入群QQ名称])感谢您加入本群[换行]特别奖励您"
    "[入群赠送数量][换行]订单状态:[订单状态][换行][小尾巴][换行][现在时间]",
    "每日领取=[@领取QQ号][换行][领取QQ头像][换行]用户QQ名字:[领取QQ名称][换行]恭喜您成功领取[领取赠送数量]"
    "名片赞[换行]订单状态:[订单状态][换行][小尾巴][换行][现在时间]",
    "今日已领取=[领取QQ头像][换行]每日领取赠送:[领取赠送数量][换行]领取QQ:[领取QQ][换行]领取QQ名称:"
    "[领取QQ名称][换行]领取状态:领取失败[换行]领取失败原因:您今天已经领取过了[换行][现在时间]",
    "邀请消息=感谢[@邀请QQ号]邀请[@入群QQ号]加入本群[换行]奖励[入群QQ] [入群赠送数量]名片赞[换行]奖励[邀请QQ] "
    "[邀请赠送数量]名片赞[换行]入群订单状态:[入群订单状态][换行]邀请订单状态:[邀请订单状态][换行][换行][小尾巴]"
    "[换行][现在时间]",
    "重复入群=[@入群QQ号]",
    "小尾巴=",
    "[对接参数]",
    "社区类型=1",
    "[名片赞数量]",
    "入群赠送=100",
    "邀请赠送=100",
    "每日领取=100",
    "[进群私聊]",
    "进群私聊=欢迎QQ号为[QQ]的玩家[网名]加入[群号]。祝你在本群玩的愉快。",
};

std::string buildProfileText() {
  std::string utf8;
  for (const char* line : kBuiltinLines) {
    if (!utf8.empty()) utf8.append("\r\n");  // between lines only: the text has no final line break
    utf8.append(line);
  }
  return text::gbk(utf8);
}

}  // namespace

const std::string& builtinProfileText() {
  static const std::string text = buildProfileText();
  return text;
}

}  // namespace config
