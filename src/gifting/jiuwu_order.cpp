#include "gifting/jiuwu_order.h"

#include <openssl/evp.h>

#include "config/config_store.h"
#include "gifting/order_log.h"
#include "net/http_fetch.h"
#include "text/gbk.h"
#include "text/search.h"
#include "text/text_between.h"

namespace gifting {

std::string passwordDigest(const std::string& password) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(password.data(), password.size(), digest, &length, EVP_md5(), nullptr) != 1) return {};
  static const char hex[] = "0123456789abcdef";
  std::string out;
  out.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
    out += hex[digest[i] >> 4];
    out += hex[digest[i] & 0x0F];
  }
  return out;
}

OrderOutcome placeJiuwuOrder(const std::string& qq, const std::string& amount, const std::string& profileGroup,
                             int payMode) {
  static const std::string tag = text::gbk("[玖伍对接]  "), successLabel = text::gbk(" 订单状态：成功  订单号:"),
                           failureLabel = text::gbk(" 订单状态：失败  订单号:");
  // How a JSON reply spells 下单成功！ with escapes; the raw characters do not count.
  static const std::string successMarker = "\\u4e0b\\u5355\\u6210\\u529f\\uff01";
  const std::string profile = config::ProfilePath(profileGroup);
  using config::SettingId;
  const std::string address = config::readSetting(profile, SettingId::JiuwuAddress);
  const std::string account = config::readSetting(profile, SettingId::JiuwuAccount);
  const std::string password = config::readSetting(profile, SettingId::JiuwuPassword);
  const std::string goodsId = config::readSetting(profile, SettingId::JiuwuGoodsId);
  const std::string goodsType = config::readSetting(profile, SettingId::JiuwuGoodsType);

  net::HttpRequest request;
  request.url = address + "/index.php?m=home&c=order&a=add";
  request.method = 1;
  request.body = "Api_UserName=" + net::formEncode(account) + "&Api_UserMd5Pass=" + passwordDigest(password) +
                 "&goods_id=" + net::formEncode(goodsId) + "&goods_type=" + net::formEncode(goodsType) +
                 "&qq=" + net::formEncode(qq) + "&&need_num_0=" + net::formEncode(amount) +
                 (payMode == 0 ? "&pay_type=1" : "&pay_type=0");
  const std::string reply = net::HttpFetch(request);

  const bool success = text::containsText(reply, successMarker);
  const std::string orderNumber = text::TextBetween(reply, "id\":\"", "\",\"af");
  const OrderLogFields fields{tag, address, account, profileGroup, qq, amount};
  return concludeOrder(success, orderNumber, fields, successLabel, failureLabel);
}

}  // namespace gifting
