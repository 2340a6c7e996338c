// placeYileOrder: one like order with a site of the 亿乐 family (community kind "0").
//
// Settings come from section 亿乐社区 (地址, 商品id, 账号, 密码) of profileGroup's profile. The form
// api_user, api_pwd, goodsid, number, uin is posted to 地址 + "/api/web/order.html", each value
// percent-encoded so that "&", "=", "+" or "%" in it reach the site as stored. The order succeeded
// when the reply's code (between "code": and ,"message) is 0, blanks and quotes around it ignored.
#pragma once

#include <string>

#include "gifting/order_outcome.h"

namespace gifting {

OrderOutcome placeYileOrder(const std::string& qq, const std::string& amount, const std::string& profileGroup);

// The success test on the code text cut out of a reply.
bool yileCodeIsSuccess(const std::string& resultCode);

}  // namespace gifting
