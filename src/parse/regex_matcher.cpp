#include "parse/regex_matcher.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <cstdint>
#include <memory>

#include "text/gbk.h"
#include "text/text_between.h"

namespace parse {

namespace {

// Bounds on the work. A page from a web site is not trusted: nested quantifiers or long lazy scans
// over a crafted subject could otherwise run for minutes. The match limit bounds one attempt at one
// start position; the step budget bounds the whole of Create, since an attempt just under the limit
// at every start position of a large page adds up. The budget counts pattern items tried (one
// callout each) and is far above what list patterns need on real pages (under one step per byte);
// a search that reaches a bound ends the match list where it stands.
constexpr uint32_t kMatchLimit = 100000;
constexpr uint64_t kStepBudget = 20000000;
constexpr uint32_t kDepthLimit = 10000;
constexpr uint32_t kHeapLimitKiB = 20 * 1024;
constexpr size_t kJitStackMax = 1024 * 1024;

struct CodeDeleter {
  void operator()(pcre2_code* p) const { pcre2_code_free(p); }
};
struct CompileContextDeleter {
  void operator()(pcre2_compile_context* p) const { pcre2_compile_context_free(p); }
};
struct MatchContextDeleter {
  void operator()(pcre2_match_context* p) const { pcre2_match_context_free(p); }
};
struct MatchDataDeleter {
  void operator()(pcre2_match_data* p) const { pcre2_match_data_free(p); }
};
struct JitStackDeleter {
  void operator()(pcre2_jit_stack* p) const { pcre2_jit_stack_free(p); }
};

struct StepBudget {
  uint64_t left = kStepBudget;
};

int countStep(pcre2_callout_block*, void* data) {
  auto* budget = static_cast<StepBudget*>(data);
  if (budget->left == 0) return PCRE2_ERROR_CALLOUT;
  --budget->left;
  return 0;
}

// Steps over one UTF-8 character starting at `pos`.
size_t nextCharacter(const std::string& s, size_t pos) {
  ++pos;
  while (pos < s.size() && (static_cast<unsigned char>(s[pos]) & 0xC0) == 0x80) ++pos;
  return pos;
}

// A matched piece back to GBK. Most pieces of a page are ASCII, which reads the same in both, and
// opening a converter for each of thousands of small pieces would cost more than the search.
std::string pieceToGbk(std::string_view utf8) {
  for (const char c : utf8)
    if (static_cast<unsigned char>(c) >= 0x80) return text::utf8ToGbk(utf8);
  return std::string(utf8);
}

}  // namespace

bool RegexMatcher::Create(const std::string& pattern, const std::string& subject, bool caseSignificant,
                          bool multiLine, bool global, bool quotePlaceholder) {
  matches_.clear();
  compiled_ = false;
  caseSignificant_ = caseSignificant;
  multiLine_ = multiLine;
  global_ = global;
  subject_ = subject;
  captureCount_ = 0;
  try {
    pattern_ = quotePlaceholder ? text::resolveQuotePlaceholder(pattern) : pattern;
    subjectUtf8_ = text::gbkToUtf8(subject);
    const std::string patternUtf8 = text::gbkToUtf8(pattern_);

    std::unique_ptr<pcre2_compile_context, CompileContextDeleter> cctx(pcre2_compile_context_create(nullptr));
    if (!cctx) return false;
    pcre2_set_newline(cctx.get(), PCRE2_NEWLINE_LF);

    // The script dialect: \uXXXX and \xXX escapes, a backreference to an unset group matches the
    // empty text, "$" only at the very end unless multi-line, "[]" and "[^]" as in scripts.
    uint32_t options = PCRE2_UTF | PCRE2_ALT_BSUX | PCRE2_MATCH_UNSET_BACKREF | PCRE2_DOLLAR_ENDONLY |
                       PCRE2_ALLOW_EMPTY_CLASS | PCRE2_NEVER_BACKSLASH_C | PCRE2_AUTO_CALLOUT;
    if (!caseSignificant) options |= PCRE2_CASELESS;
    if (multiLine) options |= PCRE2_MULTILINE;

    int errorCode = 0;
    PCRE2_SIZE errorOffset = 0;
    std::unique_ptr<pcre2_code, CodeDeleter> code(
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(patternUtf8.data()), patternUtf8.size(), options,
                      &errorCode, &errorOffset, cctx.get()));
    if (!code) return false;
    compiled_ = true;

    uint32_t captures = 0;
    pcre2_pattern_info(code.get(), PCRE2_INFO_CAPTURECOUNT, &captures);
    captureCount_ = static_cast<int>(captures);

    std::unique_ptr<pcre2_match_context, MatchContextDeleter> mctx(pcre2_match_context_create(nullptr));
    std::unique_ptr<pcre2_match_data, MatchDataDeleter> data(
        pcre2_match_data_create_from_pattern(code.get(), nullptr));
    if (!mctx || !data) return true;  // the pattern is valid; no memory to run it
    pcre2_set_match_limit(mctx.get(), kMatchLimit);
    pcre2_set_depth_limit(mctx.get(), kDepthLimit);
    pcre2_set_heap_limit(mctx.get(), kHeapLimitKiB);
    StepBudget budget;
    pcre2_set_callout(mctx.get(), countStep, &budget);

    std::unique_ptr<pcre2_jit_stack, JitStackDeleter> jitStack;
    if (pcre2_jit_compile(code.get(), PCRE2_JIT_COMPLETE) == 0) {
      jitStack.reset(pcre2_jit_stack_create(32 * 1024, kJitStackMax, nullptr));
      if (jitStack) pcre2_jit_stack_assign(mctx.get(), nullptr, jitStack.get());
    }

    const auto* subjectBytes = reinterpret_cast<PCRE2_SPTR>(subjectUtf8_.data());
    const size_t length = subjectUtf8_.size();
    size_t offset = 0;
    // The subject is checked for valid UTF-8 once, by the first search; checking it again at every
    // search would make a page with many matches quadratic. Later offsets stay on character starts.
    uint32_t matchOptions = 0;
    while (offset <= length) {
      int rc = pcre2_match(code.get(), subjectBytes, length, offset, matchOptions, data.get(), mctx.get());
      // The JIT stack is smaller than what the interpreter may use on the heap; let the
      // interpreter, with its own limits, have the last word.
      if (rc == PCRE2_ERROR_JIT_STACKLIMIT)
        rc = pcre2_match(code.get(), subjectBytes, length, offset, matchOptions | PCRE2_NO_JIT, data.get(),
                         mctx.get());
      matchOptions = PCRE2_NO_UTF_CHECK;
      // No match, or a limit reached: the list ends with what was found so far.
      if (rc < 0) break;

      const PCRE2_SIZE* ov = pcre2_get_ovector_pointer(data.get());
      const uint32_t pairs = pcre2_get_ovector_count(data.get());
      Match m;
      m.start = ov[0];
      m.end = ov[1] < ov[0] ? ov[0] : ov[1];
      m.text = pieceToGbk(std::string_view(subjectUtf8_).substr(m.start, m.end - m.start));
      m.groups.resize(captures);
      m.groupSpans.assign(captures, {PCRE2_UNSET, PCRE2_UNSET});
      for (uint32_t g = 1; g <= captures; ++g) {
        if (g >= pairs || static_cast<int>(g) >= rc) continue;  // took no part in the match
        const PCRE2_SIZE a = ov[2 * g], b = ov[2 * g + 1];
        if (a == PCRE2_UNSET || b == PCRE2_UNSET || b < a) continue;
        m.groups[g - 1] = pieceToGbk(std::string_view(subjectUtf8_).substr(a, b - a));
        m.groupSpans[g - 1] = {a, b};
      }
      matches_.push_back(std::move(m));
      if (!global) break;

      const size_t end = matches_.back().end;
      if (end > matches_.back().start) {
        offset = end;
      } else {
        // After an empty match the next search starts one character further on, as the script
        // engines do, so "x*" over "ab" gives three empty matches and no endless loop.
        if (end >= length) break;
        offset = nextCharacter(subjectUtf8_, end);
      }
    }
    return true;
  } catch (...) {
    // Out of memory while collecting: keep what was found; an uncompiled pattern stays false.
    return compiled_;
  }
}

int RegexMatcher::MatchCount() const { return static_cast<int>(matches_.size()); }

std::string RegexMatcher::SubmatchText(int match, int group) const {
  if (match < 1 || match > MatchCount()) return {};
  const Match& m = matches_[match - 1];
  if (group < 1 || group > static_cast<int>(m.groups.size())) return {};
  return m.groups[group - 1];
}

std::string RegexMatcher::MatchText(int match) const {
  if (match < 1 || match > MatchCount()) return {};
  return matches_[match - 1].text;
}

int RegexMatcher::SubmatchCount() const {
  return matches_.empty() ? 0 : static_cast<int>(matches_.front().groups.size());
}

std::string RegexMatcher::PatternText() const { return pattern_; }

// Replacement texts follow the script rules: "$$" is a dollar sign, "$&" the match, "$`" the text
// before it, "$'" the text after it, "$1".."$99" a group ("" when it took no part). A two-digit
// number is used only when that group exists, else one digit followed by the other as text; any
// other "$" stays as it is.
std::string RegexMatcher::Replace(const std::string& replacement) const {
  if (!compiled_ || matches_.empty()) return subject_;
  try {
    const std::string rep = text::gbkToUtf8(replacement);
    const std::string& s = subjectUtf8_;
    std::string out;
    size_t copied = 0;
    for (const Match& m : matches_) {
      out.append(s, copied, m.start - copied);
      for (size_t i = 0; i < rep.size(); ++i) {
        const char c = rep[i];
        if (c != '$' || i + 1 >= rep.size()) {
          out.push_back(c);
          continue;
        }
        const char n = rep[i + 1];
        auto isDigit = [](char d) { return d >= '0' && d <= '9'; };
        if (n == '$') {
          out.push_back('$');
          ++i;
        } else if (n == '&') {
          out.append(s, m.start, m.end - m.start);
          ++i;
        } else if (n == '`') {
          out.append(s, 0, m.start);
          ++i;
        } else if (n == '\'') {
          out.append(s, m.end, std::string::npos);
          ++i;
        } else if (isDigit(n)) {
          int number = n - '0';
          size_t used = 1;
          if (i + 2 < rep.size() && isDigit(rep[i + 2])) {
            const int two = number * 10 + (rep[i + 2] - '0');
            if (two >= 1 && two <= captureCount_) {
              number = two;
              used = 2;
            }
          }
          if (number >= 1 && number <= captureCount_) {
            const auto& span = m.groupSpans[number - 1];
            if (span.first != PCRE2_UNSET) out.append(s, span.first, span.second - span.first);
            i += used;
          } else {
            out.push_back('$');
          }
        } else {
          out.push_back('$');
        }
      }
      copied = m.end;
    }
    out.append(s, copied, std::string::npos);
    return text::utf8ToGbk(out);
  } catch (...) {
    return subject_;
  }
}

}  // namespace parse
