#include "gifting/claim_register.h"

#include "config/config_store.h"
#include "config/folder_lock.h"
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
  if (!config::ReadValue(path_, today, qq).empty()) return false;
  config::WriteValue(path_, today, qq, "1");
  return true;
}

}  // namespace gifting
