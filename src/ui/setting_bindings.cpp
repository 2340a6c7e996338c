#include "ui/setting_bindings.h"

namespace ui {

namespace {

using enum config::SettingId;
using K = BindingKind;
using A = AbsentShows;

// In the order a profile load fills the controls: the community type first, because it decides
// which community fields are loaded, and the core switch last.
const Binding kBindings[] = {
    {"组合框2", CommunityKind, K::Community, A::Fallback, A::Fallback, "0"},
    {"yl_1", YileAddress, K::Text, A::Empty, A::Empty, "", "", '0'},
    {"yl_2", YileGoodsId, K::Text, A::Empty, A::Empty, "", "", '0'},
    {"yl_3", YileAccount, K::Text, A::Empty, A::Empty, "", "", '0'},
    {"yl_4", YilePassword, K::Text, A::Empty, A::Empty, "", "", '0'},
    {"jw_1_1", JiuwuAddress, K::Text, A::Empty, A::Empty, "", "", '1'},
    {"jw_1_2", JiuwuGoodsId, K::Text, A::Empty, A::Empty, "", "", '1'},
    {"jw_1_3", JiuwuGoodsType, K::Text, A::Empty, A::Empty, "", "", '1'},
    {"jw_1_4", JiuwuAccount, K::Text, A::Empty, A::Unchanged, "", "", '1'},
    {"jw_1_5", JiuwuPassword, K::Text, A::Empty, A::Unchanged, "", "", '1'},
    {"jw_2_1", JiuwuAddress, K::Text, A::Empty, A::Unchanged, "", "", '2'},
    {"jw_2_2", JiuwuGoodsId, K::Text, A::Empty, A::Unchanged, "", "", '2'},
    {"jw_2_3", JiuwuGoodsType, K::Text, A::Unchanged, A::Unchanged, "", "", '2'},
    {"jw_2_4", JiuwuAccount, K::Text, A::Unchanged, A::Unchanged, "", "", '2'},
    {"jw_2_5", JiuwuPassword, K::Text, A::Unchanged, A::Unchanged, "", "", '2'},
    {"单选框1", MatchMode, K::Radio, A::Fallback, A::Fallback, "0", "0"},
    {"单选框2", MatchMode, K::RadioElse, A::Fallback, A::Fallback, "0", "1"},
    {"编辑框18", JoinGiftAmount, K::Text, A::Empty, A::Unchanged},
    {"编辑框19", InviteGiftAmount, K::Text, A::Empty, A::Unchanged},
    {"编辑框20", DailyClaimAmount, K::Text, A::Empty, A::Unchanged},
    {"编辑框37", DailyClaimCommand, K::Text, A::Unchanged, A::Unchanged},
    {"编辑框4", WelcomePm, K::Text, A::Unchanged, A::Unchanged},
    {"选择框15", WelcomePmOn, K::Check, A::Unchecked, A::Unchecked},
    {"选择框2", GiftOnJoin, K::Check, A::Unchecked, A::Unchecked},
    {"选择框3", GiftOnInvite, K::Check, A::Unchecked, A::Unchecked},
    {"选择框4", DailyClaimOn, K::Check, A::Unchecked, A::Unchecked},
    {"选择框5", KickBadName, K::Check, A::Unchecked, A::Unchecked},
    {"选择框6", KickLowLevel, K::Check, A::Unchecked, A::Unchecked},
    {"选择框7", KickFlood, K::Check, A::Unchecked, A::Unchecked},
    {"选择框14", KickAdverts, K::Check, A::Unchecked, A::Unchecked},
    {"选择框8", KickBadSignature, K::Check, A::Unchecked, A::Unchecked},
    {"选择框9", CardReplies, K::Check, A::Unchecked, A::Unchecked},
    {"编辑框21", WelcomeReply, K::Lines, A::Empty, A::Empty},
    {"编辑框22", InvitationReply, K::Lines, A::Empty, A::Empty},
    {"编辑框23", ClaimReply, K::Lines, A::Empty, A::Empty},
    {"编辑框31", ClaimedTodayReply, K::Lines, A::Empty, A::Empty},
    {"编辑框32", ReturningReply, K::Lines, A::Empty, A::Empty},
    {"编辑框24", ReplyTail, K::Lines, A::Empty, A::Empty},
    // Shown for the default profile only and never stored: the box is display only.
    {"编辑框60", LowLevelText, K::Lines, A::Empty, A::Untouched, "", "", 0, false, true},
    {"编辑框26", ForbiddenWords, K::Text, A::Unchanged, A::Unchanged},
    {"选择框11", ImageTextCheckOn, K::Check, A::Unchecked, A::Unchecked},
    {"选择框10", WithdrawOn, K::Check, A::Unchecked, A::Unchecked},
    {"选择框12", ModerationOn, K::Check, A::Unchecked, A::Unchecked},
    {"编辑框28", BanMinutes, K::Text, A::Unchanged, A::Unchanged},
    {"编辑框25", Whitelist, K::Text, A::Unchanged, A::Unchanged},
    {"编辑框27", LevelLimit, K::Text, A::Unchanged, A::Unchanged},
    {"选择框16", LowLevelOn, K::Check, A::Unchecked, A::Unchecked},
    {"编辑框29", NameWords, K::Text, A::Empty, A::Unchanged},
    {"编辑框30", SignatureWords, K::Text, A::Empty, A::Unchanged},
    {"编辑框17", KeywordLibrary, K::Lines, A::Empty, A::Empty},
    {"选择框1", SharedProfileMode, K::Check, A::Unchecked, A::Unchecked},
    {"编辑框15", OwnerQQ, K::Text, A::Empty, A::Empty, "", "", 0, true},
};

}  // namespace

std::span<const Binding> settingBindings() { return kBindings; }

}  // namespace ui
