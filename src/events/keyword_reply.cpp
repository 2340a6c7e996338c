#include "events/keyword_reply.h"

#include <string_view>

#include "config/config_store.h"
#include "gifting/group_reply.h"
#include "text/gbk.h"
#include "text/search.h"

namespace events {

namespace {

using config::SettingId;

const std::string& entrySeparator() {
  static const std::string separator = text::gbk("[换行]");
  return separator;
}

// An entry's keyword and reply: the text before its first "---" and the piece after it (up to a
// second "---"). An entry without a "---", or with nothing after its only one, has no reply.
bool entryPieces(std::string_view entry, std::string_view& keyword, std::string_view& reply) {
  const std::size_t first = text::findText(entry, "---");
  if (first == text::npos) return false;
  keyword = entry.substr(0, first);
  const std::size_t start = first + 3;
  const std::size_t second = text::findText(entry, "---", start);
  if (second == text::npos && start == entry.size()) return false;
  reply = entry.substr(start, second == text::npos ? text::npos : second - start);
  return true;
}

// Walks the entries in order and sends the reply of the first whose keyword `matches`. The
// library is walked in place: a full one holds hundreds of entries and most are passed over.
template <typename Matches>
void answerFirst(const HostEvent& event, const std::string& profilePath, std::string_view library,
                 Matches matches) {
  const std::string& separator = entrySeparator();
  std::size_t start = 0;
  while (start < library.size()) {
    std::size_t end = text::findText(library, separator, start);
    if (end == text::npos) end = library.size();
    std::string_view keyword, reply;
    if (entryPieces(library.substr(start, end - start), keyword, reply) && matches(keyword)) {
      gifting::sendGroupReply(event.robotQQ, event.group, event.activeQQ, text::replaceAll(reply, "[/n]", "\r\n"),
                              profilePath, event.kind, 0);
      return;
    }
    start = end + separator.size();
  }
}

}  // namespace

void replyToKeyword(const HostEvent& event, const config::ProfileChoice& profile) {
  const std::string path = profile.profilePath();
  const std::string& message = event.message;
  const std::string mode = config::readSetting(path, SettingId::MatchMode);
  if (mode == "0") {
    const std::string library = config::readSetting(path, SettingId::KeywordLibrary);
    // A library that cannot hold the entry is not split at all.
    if (!text::containsText(library, message + "---")) return;
    answerFirst(event, path, library, [&](std::string_view keyword) { return keyword == message; });
  } else if (mode == "1") {
    if (message.empty()) return;
    answerFirst(event, path, config::readSetting(path, SettingId::KeywordLibrary),
                [&](std::string_view keyword) { return text::containsText(message, keyword); });
  }
}

}  // namespace events
