#include "parse/unescape.h"

#include <optional>
#include <string_view>

#include "text/gbk.h"

namespace parse {

namespace {

// Decoding works on UTF-16 code units, the way a script string holds its characters: a GBK text
// has only characters of the basic plane, and "%uXXXX" escapes produce code units, two of which
// may form one character.

// `utf8` is the converter's output, so it is well formed.
std::u16string toUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    char32_t c = b;
    std::size_t n = 1;
    if (b >= 0xF0) {
      c = b & 0x07;
      n = 4;
    } else if (b >= 0xE0) {
      c = b & 0x0F;
      n = 3;
    } else if (b >= 0xC0) {
      c = b & 0x1F;
      n = 2;
    }
    if (i + n > utf8.size()) n = utf8.size() - i;
    for (std::size_t k = 1; k < n; ++k) c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += n;
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
  }
  return out;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// Code units to GBK. A surrogate without its partner is no character and becomes the substitute,
// as does a character GBK lacks.
std::string toGbk(const std::u16string& units) {
  std::string utf8;
  utf8.reserve(units.size() * 3);
  for (std::size_t i = 0; i < units.size(); ++i) {
    const char16_t u = units[i];
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
      appendUtf8(utf8, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      utf8.push_back('?');
    } else {
      appendUtf8(utf8, u);
    }
  }
  return text::utf8ToGbk(utf8);
}

int hexValue(char16_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The value of `count` hexadecimal digits at `pos`, or -1 when any of them is not one.
long hexRun(const std::u16string& s, std::size_t pos, std::size_t count) {
  if (pos + count > s.size()) return -1;
  long v = 0;
  for (std::size_t k = 0; k < count; ++k) {
    const int d = hexValue(s[pos + k]);
    if (d < 0) return -1;
    v = v * 16 + d;
  }
  return v;
}

std::u16string replaceAll(const std::u16string& s, const std::u16string& from, const std::u16string& to) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t start = 0;
  for (std::size_t hit; (hit = s.find(from, start)) != std::u16string::npos; start = hit + from.size()) {
    out.append(s, start, hit - start);
    out += to;
  }
  out.append(s, start, std::u16string::npos);
  return out;
}

bool isLineTerminator(char16_t c) { return c == u'\n' || c == u'\r' || c == 0x2028 || c == 0x2029; }
bool isOctal(char16_t c) { return c >= '0' && c <= '7'; }

// The content of a single-quoted script string literal; nullopt when it is not a valid one.
std::optional<std::u16string> readLiteral(const std::u16string& s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (isLineTerminator(c)) return std::nullopt;
    if (c != u'\\') {
      out.push_back(c);
      continue;
    }
    if (i + 1 >= s.size()) return std::nullopt;  // the backslash would escape the closing quote
    const char16_t e = s[++i];
    switch (e) {
      case u'b': out.push_back(u'\b'); break;
      case u't': out.push_back(u'\t'); break;
      case u'n': out.push_back(u'\n'); break;
      case u'v': out.push_back(u'\v'); break;
      case u'f': out.push_back(u'\f'); break;
      case u'r': out.push_back(u'\r'); break;
      case u'x': {
        const long v = hexRun(s, i + 1, 2);
        if (v < 0) {
          out.push_back(e);
        } else {
          out.push_back(static_cast<char16_t>(v));
          i += 2;
        }
        break;
      }
      case u'u': {
        const long v = hexRun(s, i + 1, 4);
        if (v < 0) {
          out.push_back(e);
        } else {
          out.push_back(static_cast<char16_t>(v));
          i += 4;
        }
        break;
      }
      default:
        if (isLineTerminator(e)) return std::nullopt;
        if (isOctal(e)) {
          // Legacy octal: up to three digits from 0-3 ("\377"), two from 4-7 ("\400" is "\40" + "0").
          const std::size_t maxDigits = e <= u'3' ? 3 : 2;
          unsigned v = 0;
          std::size_t used = 0;
          while (used < maxDigits && i + used < s.size() && isOctal(s[i + used])) v = v * 8 + (s[i + used++] - u'0');
          out.push_back(static_cast<char16_t>(v));
          i += used - 1;
        } else {
          out.push_back(e);  // \" \' \\ \/ and every other escaped character give themselves
        }
    }
  }
  return out;
}

// The script's unescape(): "%uXXXX" is one code unit, "%XX" the character U+00XX, any other "%"
// stays.
std::u16string unescape(const std::u16string& s) {
  std::u16string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'%') {
      if (i + 1 < s.size() && s[i + 1] == u'u') {
        const long v = hexRun(s, i + 2, 4);
        if (v >= 0) {
          out.push_back(static_cast<char16_t>(v));
          i += 5;
          continue;
        }
      }
      const long v = hexRun(s, i + 1, 2);
      if (v >= 0) {
        out.push_back(static_cast<char16_t>(v));
        i += 2;
        continue;
      }
    }
    out.push_back(s[i]);
  }
  return out;
}

// The value of the leading hexadecimal digits of a code (0 when it starts with something else).
long leadingHex(const std::u16string& s, std::size_t pos, std::size_t count) {
  long v = 0;
  for (std::size_t k = 0; k < count && pos + k < s.size(); ++k) {
    const int d = hexValue(s[pos + k]);
    if (d < 0) break;
    v = v * 16 + d;
  }
  return v;
}

// The decimal number formed by the leading digits of a code is zero: no leading digit, or zeros.
bool leadingDecimalIsZero(const std::u16string& s, std::size_t pos, std::size_t count) {
  for (std::size_t k = 0; k < count && pos + k < s.size(); ++k) {
    const char16_t c = s[pos + k];
    if (c < u'0' || c > u'9') return true;
    if (c != u'0') return false;
  }
  return true;
}

// For texts that are not a valid literal: keeps only what the escapes encode. Every "%" is looked
// at on its own and nothing else is copied. A code of value 0 (a NUL, or a code without a single
// leading hexadecimal digit such as "%zz") gives nothing rather than a NUL character.
std::u16string fallbackDecode(const std::u16string& s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != u'%') continue;
    const std::size_t following = s.size() - i - 1;
    if (following >= 5 && s[i + 1] == u'u') {
      if (leadingDecimalIsZero(s, i + 2, 4)) {
        out.push_back(u'%');
      } else {
        out.push_back(static_cast<char16_t>(leadingHex(s, i + 2, 4)));
      }
    } else if (following >= 2) {
      const long v = leadingHex(s, i + 1, 2);
      if (v != 0) out.push_back(static_cast<char16_t>(v));
    } else {
      out.push_back(u'%');
    }
  }
  return out;
}

}  // namespace

std::string UnescapeText(const std::string& input) {
  try {
    static const std::u16string kCrLf = u"\r\n", kLineBreakMark = u"{$}";
    static const std::u16string kApostrophe = u"'", kApostropheMark = u"\u2019";  // ’, GBK A1 AF

    // Everything happens on characters: a trail byte 5C inside a Chinese character is no
    // backslash, and a mark put after a stray lead byte cannot pair up with it.
    std::u16string t = toUtf16(text::gbkToUtf8(input));
    // The marks keep CR LF pairs and apostrophes out of the literal, where they would end it.
    t = replaceAll(t, kCrLf, kLineBreakMark);
    if (!t.empty() && t[0] == u'\r') t.erase(0, 1);
    t = replaceAll(t, u"\\u", u"%u");
    t = replaceAll(t, kApostrophe, kApostropheMark);

    std::u16string decoded;
    if (const auto literal = readLiteral(t)) decoded = unescape(*literal);
    if (decoded.empty()) decoded = fallbackDecode(t);

    decoded = replaceAll(decoded, kApostropheMark, kApostrophe);
    return toGbk(replaceAll(decoded, kLineBreakMark, kCrLf));
  } catch (...) {
    return {};
  }
}

}  // namespace parse
