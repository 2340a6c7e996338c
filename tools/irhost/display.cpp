#include "display.h"

#include <utility>
#include <vector>

#include "text/gbk.h"

namespace irhost {

namespace {

std::vector<std::pair<std::string, std::string>>& namedAddresses() {
  static std::vector<std::pair<std::string, std::string>> named;
  return named;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Every occurrence of a named address becomes its name; "http://127.0.0.1:4012" is not a part of
// "http://127.0.0.1:40123", so an address followed by a digit is left alone.
std::string withNames(std::string text) {
  for (const auto& [address, name] : namedAddresses()) {
    std::size_t at = 0;
    while ((at = text.find(address, at)) != std::string::npos) {
      const std::size_t end = at + address.size();
      if (end < text.size() && isDigit(text[end])) {
        at = end;
        continue;
      }
      text.replace(at, address.size(), name);
      at += name.size();
    }
  }
  return text;
}

}  // namespace

void nameAddress(const std::string& address, const std::string& name) {
  if (!address.empty()) namedAddresses().emplace_back(address, "${" + name + "}");
}

std::string shown(std::string_view gbk) {
  std::string utf8 = withNames(text::gbkToUtf8(gbk));
  std::string out;
  out.reserve(utf8.size());
  for (char c : utf8) {
    switch (c) {
      case '\r': out += "\\r"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      case '\\': out += "\\\\"; break;
      default: out += c;
    }
  }
  return out;
}

std::string fieldToGbk(std::string_view utf8Field) {
  std::string decoded;
  decoded.reserve(utf8Field.size());
  for (std::size_t i = 0; i < utf8Field.size(); ++i) {
    char c = utf8Field[i];
    if (c == '\\' && i + 1 < utf8Field.size()) {
      char e = utf8Field[i + 1];
      const char* replacement = e == 'n' ? "\n" : e == 'r' ? "\r" : e == 't' ? "\t" : e == '\\' ? "\\" : nullptr;
      if (replacement) {
        decoded += replacement;
        ++i;
        continue;
      }
    }
    decoded += c;
  }
  return text::utf8ToGbk(decoded);
}

const char* eventKindName(long long kind) {
  switch (kind) {
    case 2: return "group message";
    case 212: return "member joined";
    case 219: return "member invited";
    case 213: case 214: case 215: return "join request";
    default: return "event";
  }
}

}  // namespace irhost
