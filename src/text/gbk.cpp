#include "text/gbk.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace text {

std::size_t gbkCharLength(std::string_view s, std::size_t pos) {
  const auto lead = static_cast<unsigned char>(s[pos]);
  if (lead >= 0x81 && lead <= 0xFE && pos + 1 < s.size()) {
    const auto trail = static_cast<unsigned char>(s[pos + 1]);
    if (trail >= 0x40 && trail <= 0xFE && trail != 0x7F) return 2;
  }
  return 1;
}

bool isCharBoundary(std::string_view s, std::size_t pos) {
  std::size_t i = 0;
  while (i < pos && i < s.size()) i += gbkCharLength(s, i);
  return i == pos;
}

namespace {

// Length of the UTF-8 sequence starting at p (at least 1), used to skip one character that the
// target charset lacks.
std::size_t utf8SequenceLength(const unsigned char* p, std::size_t left) {
  std::size_t n = 1;
  if (p[0] >= 0xF0) n = 4;
  else if (p[0] >= 0xE0) n = 3;
  else if (p[0] >= 0xC0) n = 2;
  if (n > left) n = left;
  for (std::size_t k = 1; k < n; ++k)
    if ((p[k] & 0xC0) != 0x80) return k;
  return n;
}

// One conversion with a '?' substitute. `skipUtf8` says how to step over a bad input: one UTF-8
// sequence when the source is UTF-8, one byte otherwise.
bool convert(std::string_view in, const char* to, const char* from, bool sourceIsUtf8, std::string& out) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  out.clear();
  out.reserve(in.size() * 3 / 2 + 16);
  char buffer[4096];
  char* src = const_cast<char*>(in.data());
  std::size_t srcLeft = in.size();
  while (true) {
    char* dst = buffer;
    std::size_t dstLeft = sizeof buffer;
    const bool flushing = srcLeft == 0;
    const std::size_t rc = flushing ? iconv(cd, nullptr, nullptr, &dst, &dstLeft)
                                    : iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    out.append(buffer, static_cast<std::size_t>(dst - buffer));
    if (rc != static_cast<std::size_t>(-1)) {
      if (flushing) break;
      continue;
    }
    if (errno == E2BIG) continue;
    if (errno == EILSEQ || errno == EINVAL) {
      out.push_back('?');
      const std::size_t skip =
          sourceIsUtf8 ? utf8SequenceLength(reinterpret_cast<unsigned char*>(src), srcLeft) : 1;
      src += skip;
      srcLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      continue;
    }
    break;
  }
  iconv_close(cd);
  return true;
}

}  // namespace

std::string gbkToUtf8(std::string_view gbk) {
  std::string out;
  convert(gbk, "UTF-8", "GBK", false, out);
  return out;
}

std::string utf8ToGbk(std::string_view utf8) {
  std::string out;
  convert(utf8, "GBK", "UTF-8", true, out);
  return out;
}

std::string charsetToGbk(std::string_view bytes, std::string_view charset, bool* known) {
  std::string name(charset);
  std::string utf8;
  const bool fromUtf8 = strcasecmp(name.c_str(), "utf-8") == 0 || strcasecmp(name.c_str(), "utf8") == 0;
  if (fromUtf8) {
    if (known) *known = true;
    return utf8ToGbk(bytes);
  }
  if (!convert(bytes, "UTF-8", name.c_str(), false, utf8)) {
    if (known) *known = false;
    return std::string(bytes);
  }
  if (known) *known = true;
  return utf8ToGbk(utf8);
}

}  // namespace text
