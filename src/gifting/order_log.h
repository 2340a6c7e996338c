// The order log line both community routines write, and the bookkeeping that closes an order.
//
// Line: tag + time text + "  下单地址:" + address + "  下单账号:" + account + "  来源群号:" +
// profileGroup + address + "  下单QQ:" + qq + "下单数量" + amount + status label + detail.
#pragma once

#include <string>

#include "gifting/order_outcome.h"

namespace gifting {

struct OrderLogFields {
  std::string tag;           // "[亿乐对接]  " or "[玖伍对接]  "
  std::string address;       // the site address as stored
  std::string account;       // the account as stored
  std::string profileGroup;  // a group number or "默认配置"
  std::string qq;
  std::string amount;
};

std::string orderLogLine(const OrderLogFields& fields, const std::string& statusLabel, const std::string& detail);

// Closes an order: on success the amount goes into the ledger first; then the line goes to view 0
// and to view 1 (success) or 2 (failure). Returns the outcome with its status text.
OrderOutcome concludeOrder(bool success, const std::string& detail, const OrderLogFields& fields,
                           const std::string& successLabel, const std::string& failureLabel);

}  // namespace gifting
