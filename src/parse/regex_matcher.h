// RegexMatcher: one regular expression (ECMAScript dialect, on PCRE2) over one GBK subject.
// Matching works on characters: subject and pattern are decoded to UTF-8 and results converted
// back. The dot does not match LF but does match CR. Match, depth and step limits keep a hostile
// subject from hanging the caller: a search that hits a limit ends with the matches found so far.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace parse {

class RegexMatcher {
 public:
  // Returns false when the pattern does not compile (then MatchCount is 0).
  bool Create(const std::string& pattern, const std::string& subject, bool caseSignificant = false,
              bool multiLine = true, bool global = true, bool quotePlaceholder = false);
  int MatchCount() const;
  std::string SubmatchText(int match, int group) const;  // both from 1; "" when unset or out of range
  std::string MatchText(int match) const;
  int SubmatchCount() const;
  std::string PatternText() const;
  std::string Replace(const std::string& replacement) const;

 private:
  struct Match {
    std::string text;
    std::vector<std::string> groups;
    std::size_t start = 0, end = 0;                               // byte offsets in subjectUtf8_
    std::vector<std::pair<std::size_t, std::size_t>> groupSpans;  // unset groups hold ~0
  };
  std::string pattern_, subject_, subjectUtf8_;
  bool caseSignificant_ = false, multiLine_ = true, global_ = true, compiled_ = false;
  int captureCount_ = 0;
  std::vector<Match> matches_;
};

}  // namespace parse
