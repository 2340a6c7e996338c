// The bytes of an INI file as the reader and the writer see them (inside the INI layer only):
// lines, section headers, key lines, the names as stored and a value as a caller receives it.
// One implementation for plain reads, the read cache and transactions, so all three agree on
// what a file says.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace config::ini {

inline constexpr std::size_t npos = std::string_view::npos;

// One line: content [begin, end), its line break [end, next). The last line may have none
// (next == end). CR LF, a lone CR and a lone LF each end a line.
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

// The line that starts at `begin`.
Line lineAt(std::string_view data, std::size_t begin);

enum class LineKind { Other, Section, Key };
struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;   // blanks around it dropped
  std::string_view value;  // of a key line, blanks around it dropped
};
ParsedLine parseLine(std::string_view line);

// Names compare ignoring ASCII letter case, never folding a GBK trail byte.
bool sameName(std::string_view inFile, std::string_view wanted);

// The first section of the name: its header line and where it ends (the start of the next
// section's header line, or the end of the data). Lines before the first header belong to none.
struct SectionSpan {
  Line header;
  std::size_t end = 0;
};
std::optional<SectionSpan> findSection(std::string_view data, std::string_view section);

// The first key line of the name inside the section, with its parsed name and value.
struct KeyLine {
  Line line;
  ParsedLine parsed;
};
std::optional<KeyLine> findKey(std::string_view data, const SectionSpan& span, std::string_view key);

// Visits every key line of the section in order.
template <class Visit>
void forEachKey(std::string_view data, const SectionSpan& span, Visit visit);

// A name as it is looked up and written: line breaks blanked, blanks around it dropped.
std::string storedName(std::string_view name);
// Whether "[section]" and "key=" read back as that section and key.
bool storableNames(std::string_view section, std::string_view key);
// A value as written: each CR or LF a blank, so it can never add lines.
std::string blankLineBreaks(std::string_view value);
std::string_view trimBlanks(std::string_view s);

// A stored value as a caller receives it: up to its first NUL byte (the text a C caller would
// see), then cut to 10,239 bytes without splitting a two-byte character.
std::string valueText(std::string_view value);
// A fallback as a caller receives it: trailing blanks dropped, then as valueText.
std::string fallbackText(std::string_view fallback);

enum class ReadStatus { Ok, Missing, Failed };
// The whole file. Missing: no such file (or folder); Failed: it exists but cannot be read, or is
// not a regular file. `opened`, when given, receives the status of the file that was read, taken
// before its bytes.
ReadStatus readFileBytes(const std::string& path, std::string& out, struct stat* opened = nullptr);

// A file's bytes as a transaction reads them: the buffer is not filled before the read, so reading
// a records file of 10 MB costs one copy, not a fill and a copy.
class FileBytes {
 public:
  FileBytes() = default;
  ~FileBytes();
  FileBytes(const FileBytes&) = delete;
  FileBytes& operator=(const FileBytes&) = delete;
  std::string_view view() const { return {data_, size_}; }

 private:
  friend ReadStatus readFileBytes(const std::string& path, FileBytes& out, struct stat* opened);
  // Room for `capacity` bytes, keeping the first size_; nullptr when no memory could be had.
  char* reserve(std::size_t capacity);
  void release();
  char* data_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};
ReadStatus readFileBytes(const std::string& path, FileBytes& out, struct stat* opened = nullptr);

// ---- template definitions

template <class Visit>
void forEachKey(std::string_view data, const SectionSpan& span, Visit visit) {
  std::size_t pos = span.header.next;
  while (pos < span.end) {
    const Line line = lineAt(data, pos);
    const ParsedLine parsed = parseLine(data.substr(line.begin, line.end - line.begin));
    if (parsed.kind == LineKind::Key && !visit(KeyLine{line, parsed})) return;
    pos = line.next;
  }
}

}  // namespace config::ini
