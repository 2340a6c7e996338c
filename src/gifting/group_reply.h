// sendGroupReply: how every reply of the robot goes into a group, for the join and keyword
// features and the daily claim alike.
//
// A text that holds "xml" (exact letter case) is a card already and goes out unchanged with
// Api_SendXML. Otherwise the profile's 软件参数/xml switch decides: off, a plain Api_SendMsg of
// `messageType` with `option`; on, a card built from the text's lines (buildXmlCard) with
// Api_SendXML. The reply is addressed to `group` and `qq` either way.
#pragma once

#include <cstdint>
#include <string>

namespace gifting {

void sendGroupReply(const std::string& robotQQ, const std::string& group, const std::string& qq,
                    const std::string& text, const std::string& profilePath, int32_t messageType,
                    int32_t option);

}  // namespace gifting
