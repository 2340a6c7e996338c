// The two replies of the daily claim, filled from the profile's templates (自定义话语).
//
// 每日领取: [现在时间], [领取赠送数量], [订单状态], [小尾巴], [领取QQ], [@领取QQ号], [领取QQ头像]
// (size 160), [领取QQ名称], [换行], in that order. 今日已领取: [现在时间], [领取赠送数量],
// [邀请赠送数量], [入群赠送数量], then [小尾巴] onwards as above. Placeholders match ignoring ASCII
// letter case; a value holding a later placeholder gets that one replaced too.
#pragma once

#include <string>

namespace gifting {

std::string buildClaimReply(const std::string& profilePath, const std::string& senderQQ,
                            const std::string& orderStatus);

std::string buildAlreadyClaimedReply(const std::string& profilePath, const std::string& senderQQ);

}  // namespace gifting
