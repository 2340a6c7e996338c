// Regular expressions over arbitrary GBK bytes. The first byte picks the flags, the text up to
// the first line feed after it is the pattern, the rest the subject. Every search must end.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "parse/regex_matcher.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const unsigned flags = data[0];
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  const size_t cut = rest.find('\n');
  const std::string pattern = cut == std::string::npos ? rest : rest.substr(0, cut);
  const std::string subject = cut == std::string::npos ? std::string() : rest.substr(cut + 1);

  parse::RegexMatcher m;
  const bool created = m.Create(pattern, subject, flags & 1, flags & 2, flags & 4, flags & 8);
  if (!created && m.MatchCount() != 0) std::abort();
  const int groups = m.SubmatchCount();
  for (int i = 1; i <= m.MatchCount(); ++i) {
    (void)m.MatchText(i);
    for (int g = 0; g <= groups + 1; ++g) (void)m.SubmatchText(i, g);
  }
  (void)m.Replace("[$1|$&|$$|$`|$'|$99]");
  return 0;
}
