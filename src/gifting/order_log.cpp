#include "gifting/order_log.h"

#include "gifting/gift_ledger.h"
#include "gifting/run_log.h"
#include "text/date_text.h"
#include "text/gbk.h"

namespace gifting {

std::string orderLogLine(const OrderLogFields& f, const std::string& statusLabel, const std::string& detail) {
  static const std::string addressLabel = text::gbk("  下单地址:"), accountLabel = text::gbk("  下单账号:"),
                           groupLabel = text::gbk("  来源群号:"), qqLabel = text::gbk("  下单QQ:"),
                           amountLabel = text::gbk("下单数量");
  return f.tag + text::nowText() + addressLabel + f.address + accountLabel + f.account + groupLabel +
         f.profileGroup + f.address + qqLabel + f.qq + amountLabel + f.amount + statusLabel + detail;
}

OrderOutcome concludeOrder(bool success, const std::string& detail, const OrderLogFields& fields,
                           const std::string& successLabel, const std::string& failureLabel) {
  OrderOutcome outcome;
  outcome.success = success;
  outcome.detail = detail;
  outcome.status = success ? orderSucceededText() : orderFailedText();
  if (success) recordGift(fields.amount);
  const std::string line = orderLogLine(fields, success ? successLabel : failureLabel, detail);
  appendRunLog(0, line);
  appendRunLog(success ? 1 : 2, line);
  return outcome;
}

}  // namespace gifting
