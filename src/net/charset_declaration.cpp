#include "net/charset_declaration.h"

#include "text/gbk.h"

namespace net {

namespace {

constexpr std::size_t kSearchedBytes = 1024;

bool isWord(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}
bool isNameChar(char c) { return isWord(c) || c == '-'; }

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// `word` (lower case ASCII) at `pos` of `s`, letter case ignored.
bool at(std::string_view s, std::size_t pos, std::string_view word) {
  if (pos > s.size() || s.size() - pos < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const char c = s[pos + i];
    if ((isAsciiLetter(c) ? static_cast<char>(c | 0x20) : c) != word[i]) return false;
  }
  return true;
}

// The start of the UTF-8 character after the one at `pos`.
std::size_t nextChar(std::string_view u, std::size_t pos) {
  ++pos;
  while (pos < u.size() && (static_cast<unsigned char>(u[pos]) & 0xC0) == 0x80) ++pos;
  return pos;
}

std::string nameRun(std::string_view u, std::size_t from) {
  std::size_t end = from;
  while (end < u.size() && isNameChar(u[end])) ++end;
  return std::string(u.substr(from, end - from));
}

// [^\w]?([-\w]+) at `pos`: group 1, or "" when it does not match there. The optional character is
// taken when the run can follow it; otherwise the run must start at `pos` itself.
std::string valueAt(std::string_view u, std::size_t pos) {
  if (pos >= u.size()) return {};
  if (isWord(u[pos])) return nameRun(u, pos);
  const std::size_t after = nextChar(u, pos);
  if (after < u.size() && isNameChar(u[after])) return nameRun(u, after);
  return u[pos] == '-' ? "-" : "";
}

}  // namespace

std::string declaredCharset(std::string_view page) {
  const std::string_view head = page.substr(0, kSearchedBytes);
  // A page without "<meta" in its first bytes (an API's JSON answer, most replies) costs one scan.
  // The letters of "<meta" stand for themselves in any decoding: GBK gives no character that reads
  // as an ASCII one, so the bytes must hold it when the characters do.
  bool tagged = false;
  for (std::size_t lt = head.find('<'); lt != std::string_view::npos && !tagged; lt = head.find('<', lt + 1))
    tagged = at(head, lt, "<meta");
  if (!tagged) return {};
  // Characters, not bytes: a GBK trail byte can be a letter, and a lead byte that makes no
  // character with the byte after it decodes alone (as "?"), leaving that byte a character of its own.
  const std::string decoded = text::gbkToUtf8(head);
  const std::string_view u = decoded;
  for (std::size_t tag = 0; tag + 5 <= u.size(); ++tag) {
    if (!at(u, tag, "<meta")) continue;
    // ".+?": at least one character, never an LF; each later "charset=" on the line is tried in turn.
    std::size_t pos = tag + 5;
    if (pos >= u.size() || u[pos] == '\n') continue;
    pos = nextChar(u, pos);
    while (true) {
      if (at(u, pos, "charset=")) {
        std::string value = valueAt(u, pos + 8);
        if (!value.empty()) return value;
      }
      if (pos >= u.size() || u[pos] == '\n') break;
      pos = nextChar(u, pos);
    }
  }
  return {};
}

}  // namespace net
