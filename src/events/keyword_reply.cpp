#include "events/keyword_reply.h"

#include "config/config_store.h"
#include "events/event_reply.h"
#include "text/gbk.h"
#include "text/search.h"

namespace events {

namespace {

struct Keys {
  std::string section = text::gbk("关键词回复");
  std::string mode = text::gbk("消息匹配模式");
  std::string library = text::gbk("词库");
  std::string entrySeparator = text::gbk("[换行]");
};

const Keys& keys() {
  static const Keys k;
  return k;
}

// Walks the entries in order and sends the reply of the first whose keyword `matches`.
template <typename Matches>
void answerFirst(const HostEvent& event, const std::string& profilePath, const std::string& library,
                 Matches matches) {
  for (const std::string& entry : text::splitPieces(library, keys().entrySeparator)) {
    const std::vector<std::string> pieces = text::splitPieces(entry, "---");
    if (pieces.size() < 2 || !matches(pieces[0])) continue;
    sendEventReply(event, profilePath, text::replaceAll(pieces[1], "[/n]", "\r\n"));
    return;
  }
}

}  // namespace

void replyToKeyword(const HostEvent& event, const ProfileChoice& profile) {
  const Keys& k = keys();
  const std::string path = profile.profilePath();
  const std::string& message = event.message;
  const std::string mode = config::ReadValue(path, k.section, k.mode, "0");
  if (mode == "0") {
    const std::string library = config::ReadValue(path, k.section, k.library);
    // A library that cannot hold the entry is not split at all.
    if (!text::containsText(library, message + "---")) return;
    answerFirst(event, path, library, [&](const std::string& keyword) { return keyword == message; });
  } else if (mode == "1") {
    if (message.empty()) return;
    answerFirst(event, path, config::ReadValue(path, k.section, k.library),
                [&](const std::string& keyword) { return text::containsText(message, keyword); });
  }
}

}  // namespace events
