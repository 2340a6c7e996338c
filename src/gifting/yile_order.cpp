#include "gifting/yile_order.h"

#include "config/config_store.h"
#include "gifting/order_log.h"
#include "net/http_fetch.h"
#include "parse/unescape.h"
#include "text/gbk.h"
#include "text/text_between.h"

namespace gifting {

bool yileCodeIsSuccess(const std::string& resultCode) {
  // Only the value 0 means success: a substring test for "0" would take 10 or 1001 for success.
  const std::size_t begin = resultCode.find_first_not_of(" \t\r\n\"");
  if (begin == std::string::npos) return false;
  const std::size_t end = resultCode.find_last_not_of(" \t\r\n\"");
  return resultCode.compare(begin, end - begin + 1, "0") == 0;
}

OrderOutcome placeYileOrder(const std::string& qq, const std::string& amount, const std::string& profileGroup) {
  static const std::string tag = text::gbk("[亿乐对接]  "), successLabel = text::gbk(" 订单状态：成功  返回值:"),
                           failureLabel = text::gbk(" 订单状态：失败  返回值:");
  const std::string profile = config::ProfilePath(profileGroup);
  using config::SettingId;
  const std::string address = config::readSetting(profile, SettingId::YileAddress);
  const std::string goodsId = config::readSetting(profile, SettingId::YileGoodsId);
  const std::string account = config::readSetting(profile, SettingId::YileAccount);
  const std::string password = config::readSetting(profile, SettingId::YilePassword);

  net::HttpRequest request;
  request.url = address + "/api/web/order.html";
  request.method = 1;
  request.body = "api_user=" + net::formEncode(account) + "&api_pwd=" + net::formEncode(password) +
                 "&goodsid=" + net::formEncode(goodsId) + "&number=" + net::formEncode(amount) +
                 "&uin=" + net::formEncode(qq);
  const std::string reply = net::HttpFetch(request);

  const std::string resultCode = text::TextBetween(reply, "\"code\":", ",\"message");
  const std::string siteMessage = parse::UnescapeText(text::TextBetween(reply, "sage\":\"", "\""));
  const OrderLogFields fields{tag, address, account, profileGroup, qq, amount};
  return concludeOrder(yileCodeIsSuccess(resultCode), siteMessage, fields, successLabel, failureLabel);
}

}  // namespace gifting
