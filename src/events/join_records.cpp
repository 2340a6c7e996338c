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

const JoinRecordKeys& joinRecordKeys() {
  static const JoinRecordKeys keys{text::gbk("已入群号"), text::gbk("上级QQ"),    text::gbk("拉入人数"),
                                   text::gbk("退群人数"), text::gbk("获得名片赞"), text::gbk("拉入QQ"),
                                   text::gbk("无")};
  return keys;
}

}  // namespace events
