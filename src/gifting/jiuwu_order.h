// placeJiuwuOrder: one like order with a site of the 玖伍 family (community kinds "1" and "2").
//
// Settings come from section 玖伍社区 (地址, goodsid, goodtype, 账号, 密码) of profileGroup's
// profile. The form Api_UserName, Api_UserMd5Pass (the password's MD5, never the password), goods_id,
// goods_type, qq, an empty field, need_num_0 and pay_type (1 for payMode 0, 0 for payMode 1) is
// posted to 地址 + "/index.php?m=home&c=order&a=add", values percent-encoded. The order succeeded
// when the raw reply holds the escaped text \u4e0b\u5355\u6210\u529f\uff01 exactly; the order
// number is what stands between id":" and ","af.
#pragma once

#include <string>

#include "gifting/order_outcome.h"

namespace gifting {

OrderOutcome placeJiuwuOrder(const std::string& qq, const std::string& amount, const std::string& profileGroup,
                             int payMode);

// MD5 of the password's GBK bytes as 32 lower-case hex digits.
std::string passwordDigest(const std::string& password);

}  // namespace gifting
