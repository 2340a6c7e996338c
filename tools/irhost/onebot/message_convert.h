// Messages between OneBot (segments, UTF-8) and the host (one GBK text with inline codes).
//
// Coming in, text stays text, a mention becomes "[IR:at=QQ]" and a picture "[IR:pic=<key>.jpg]",
// where the key finds the picture's address again in a PictureTable; other segments are dropped.
// Whatever a member typed can never read as a code: "[IR:" in typed text becomes "[IR：".
// Going out, "[IR:at=<digits>]" becomes a mention and "[IR:pic=<http(s) address>]" (or a key of
// the table) a picture; any other code stays plain text, so a reply can neither mention everyone
// nor make the implementation send a local file (file://, base64://). CR LF becomes LF.
#pragma once

#include <nlohmann/json.hpp>

#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace onebot {

struct PictureRef {
  std::string url;   // http(s) address of the picture, "" when the segment had none
  std::string file;  // the segment's own name for it (for get_image), may be ""
};

// Pictures seen in incoming messages, by key. Holds the most recent `capacity` pictures; older keys
// are forgotten. Safe to use from several threads.
class PictureTable {
 public:
  explicit PictureTable(std::size_t capacity = 4096);
  std::string remember(PictureRef picture);  // a new key: 16 upper-case hex digits
  // Accepts the whole code "[IR:pic=<key>.jpg]", "<key>.jpg" or the bare key.
  std::optional<PictureRef> find(std::string_view codeOrKey) const;

 private:
  mutable std::mutex mutex_;
  std::size_t capacity_;
  unsigned long long next_;
  std::unordered_map<std::string, PictureRef> byKey_;
  std::deque<std::string> order_;
};

// An incoming "message" field (segment array, or a CQ-code string) as the host's GBK text.
std::string toHostText(const nlohmann::json& message, PictureTable& pictures);

// A host GBK text as a segment array for send_group_msg / send_private_msg.
nlohmann::json toSegments(std::string_view gbkText, const PictureTable* pictures = nullptr);

// A CQ-code string ("hi[CQ:at,qq=1]") as a segment array; unknown or broken codes stay text.
nlohmann::json parseCqString(std::string_view utf8);

// The text an XML card shows (GBK in, GBK out), for implementations that do not send cards: the
// text between its tags, line by line, with the character references decoded; button captions
// and layout blanks are left out. A text without tags comes back unchanged.
std::string cardText(std::string_view gbkXml);

// "[IR:" → "[IR：" in a UTF-8 text, for any text from outside that reaches the plug-in
// (messages, nicknames, signatures).
std::string neutraliseCodes(std::string_view utf8);

}  // namespace onebot
