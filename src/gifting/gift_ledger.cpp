#include "gifting/gift_ledger.h"

#include "config/config_store.h"
#include "config/folder_lock.h"
#include "config/plugin_dir.h"
#include "text/date_text.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace gifting {

namespace {
void addToKey(const std::string& path, const std::string& section, const std::string& key, double amount) {
  const double sum = text::readNumber(config::ReadValue(path, section, key)) + amount;
  config::WriteValue(path, section, key, text::writeNumber(sum));
}
}  // namespace

void recordGift(const std::string& amount) {
  static const std::string totalSection = text::gbk("全部名片赞"), totalKey = text::gbk("名片赞"),
                           daySection = text::gbk("每日名片赞");
  const double value = text::readNumber(amount);
  const std::string path = config::LedgerPath();
  config::FolderLock lock(config::pluginDir());
  addToKey(path, totalSection, totalKey, value);
  addToKey(path, daySection, text::todayText(), value);
}

}  // namespace gifting
