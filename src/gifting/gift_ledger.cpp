#include "gifting/gift_ledger.h"

#include "config/config_store.h"
#include "config/folder_lock.h"
#include "config/ini_transaction.h"
#include "config/plugin_dir.h"
#include "hostapi/host_api.h"
#include "text/date_text.h"
#include "text/gbk.h"
#include "text/numbers.h"

namespace gifting {

namespace {
void addToKey(config::IniTransaction& ledger, const std::string& section, const std::string& key, double amount) {
  const double sum = text::readNumber(ledger.read(section, key)) + amount;
  ledger.write(section, key, text::writeNumber(sum));
}

void logUnwritten(const std::string& path, double amount) {
  hostapi::hostApi().OutPutLog(text::gbk("朔禾引流插件：无法写入文件 ") + text::utf8ToGbk(path) +
                               text::gbk("，本次赠送的 ") + text::writeNumber(amount) +
                               text::gbk(" 个名片赞未计入统计。"));
}
}  // namespace

bool recordGift(const std::string& amount) {
  static const std::string totalSection = text::gbk("全部名片赞"), totalKey = text::gbk("名片赞"),
                           daySection = text::gbk("每日名片赞");
  const double value = text::readNumber(amount);
  const std::string path = config::LedgerPath();
  config::FolderLock lock(config::pluginDir());
  // Both counters in one replace: they change together or not at all.
  config::IniTransaction ledger(path);
  addToKey(ledger, totalSection, totalKey, value);
  addToKey(ledger, daySection, text::todayText(), value);
  const bool written = ledger.commit();
  if (!written) logUnwritten(path, value);
  return written;
}

}  // namespace gifting
