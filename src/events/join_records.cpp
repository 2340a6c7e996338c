#include "events/join_records.h"

#include "config/config_store.h"
#include "text/gbk.h"

namespace events {

std::string joinRecordsPath(std::string_view folder) {
  static const std::string kName = text::gbk("入群账号.ini");
  return config::RecordsPath(folder, kName);
}

std::string inviteStatsPath(std::string_view folder) {
  static const std::string kName = text::gbk("入群数据.ini");
  return config::RecordsPath(folder, kName);
}

}  // namespace events
