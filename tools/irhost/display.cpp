#include "display.h"

#include "text/gbk.h"

namespace irhost {

std::string shown(std::string_view gbk) {
  std::string utf8 = text::gbkToUtf8(gbk);
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

}  // namespace irhost
