#include "gifting/claim_register.h"

#include "config/config_store.h"
#include "config/folder_lock.h"
#include "config/ini_transaction.h"
#include "text/date_text.h"
#include "text/gbk.h"

namespace gifting {

DailyClaimRegister::DailyClaimRegister(std::string folder)
    : folder_(std::move(folder)), path_(config::RecordsPath(folder_, text::gbk("每日领取.ini"))) {}

bool DailyClaimRegister::claimedToday(const std::string& qq) const {
  return !config::ReadValue(path_, text::todayText(), qq).empty();
}

bool DailyClaimRegister::claimToday(const std::string& qq) const {
  config::FolderLock lock(config::FolderPath(folder_));
  const std::string today = text::todayText();
  config::IniTransaction reg(path_);
  if (!reg.read(today, qq).empty()) return false;
  reg.write(today, qq, "1");
  reg.commit();
  return true;
}

}  // namespace gifting
