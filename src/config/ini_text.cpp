#include "config/ini_text.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/ini_file.h"
#include "text/gbk.h"
#include "text/search.h"

namespace config::ini {

namespace {
constexpr std::string_view kBlanks = " \t";

bool isBreak(char c) { return c == '\r' || c == '\n'; }
}  // namespace

std::string_view trimBlanks(std::string_view s) {
  const std::size_t b = s.find_first_not_of(kBlanks);
  if (b == npos) return {};
  const std::size_t e = s.find_last_not_of(kBlanks);
  return s.substr(b, e - b + 1);
}

namespace {
// The first CR or LF at or after `from`, or the end: LF by memchr, then CR only before it, so a
// file without CR is not searched to its end for every line. (find_first_of would call memchr
// once per byte.)
std::size_t nextBreak(std::string_view data, std::size_t from) {
  const char* base = data.data();
  const void* lf = std::memchr(base + from, '\n', data.size() - from);
  const std::size_t lfAt = lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - base) : data.size();
  const void* cr = std::memchr(base + from, '\r', lfAt - from);
  return cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - base) : lfAt;
}
}  // namespace

// Neither CR nor LF can be a GBK trail byte, so every line starts at a character boundary.
Line lineAt(std::string_view data, std::size_t begin) {
  const std::size_t end = begin < data.size() ? nextBreak(data, begin) : data.size();
  std::size_t next = end;
  if (end < data.size()) next = (data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n') ? end + 2 : end + 1;
  return Line{begin, end, next};
}

bool sameName(std::string_view inFile, std::string_view wanted) {
  return inFile.size() == wanted.size() && text::startsWithIgnoreCase(inFile, wanted);
}

ParsedLine parseLine(std::string_view line) {
  ParsedLine parsed;
  const std::size_t start = line.find_first_not_of(kBlanks);
  if (start == npos) return parsed;
  const std::string_view rest = line.substr(start);
  if (rest[0] == ';') return parsed;
  if (rest[0] == '[') {
    // Walk characters, not bytes: the trail byte of 乚 (81 5D) looks like ']'. The last closing
    // bracket ends the name, so a name that holds a ']' still reads back.
    std::size_t close = npos;
    for (std::size_t i = 1; i < rest.size(); i += text::gbkCharLength(rest, i)) {
      if (rest[i] == ']') close = i;
    }
    if (close != npos) {
      parsed.kind = LineKind::Section;
      parsed.name = trimBlanks(rest.substr(1, close - 1));
      return parsed;
    }
  }
  // '=' is never a GBK trail byte, so a byte search is safe here.
  const std::size_t eq = rest.find('=');
  if (eq == npos) return parsed;
  parsed.kind = LineKind::Key;
  parsed.name = trimBlanks(rest.substr(0, eq));
  parsed.value = trimBlanks(rest.substr(eq + 1));
  return parsed;
}

namespace {

// Calls visit(line, name) for each section header at or after `from`, in order, until it returns
// false. Only a line whose first non-blank byte is '[' can be a header, so the walk jumps from one
// '[' to the next (memchr) instead of reading every line: records files hold a section per member.
// A '[' counts only after nothing but blanks on its line; a GBK trail byte 5B follows its lead
// byte and never qualifies.
template <class Visit>
void forEachHeader(std::string_view data, std::size_t from, Visit visit) {
  std::size_t pos = from;
  while (pos < data.size()) {
    const void* hit = std::memchr(data.data() + pos, '[', data.size() - pos);
    if (!hit) return;
    const std::size_t at = static_cast<std::size_t>(static_cast<const char*>(hit) - data.data());
    std::size_t begin = at;
    while (begin > from && (data[begin - 1] == ' ' || data[begin - 1] == '\t')) --begin;
    if (begin == 0 || isBreak(data[begin - 1])) {
      const Line line = lineAt(data, begin);
      const ParsedLine parsed = parseLine(data.substr(line.begin, line.end - line.begin));
      if (parsed.kind == LineKind::Section && !visit(line, parsed.name)) return;
      pos = line.next;
    } else {
      pos = nextBreak(data, at);  // the rest of this line cannot hold a header
    }
  }
}

}  // namespace

std::optional<SectionSpan> findSection(std::string_view data, std::string_view section) {
  std::optional<SectionSpan> span;
  forEachHeader(data, 0, [&](const Line& line, std::string_view name) {
    if (span) {
      span->end = line.begin;
      return false;
    }
    if (sameName(name, section)) span = SectionSpan{line, data.size()};
    return true;
  });
  return span;
}

std::optional<KeyLine> findKey(std::string_view data, const SectionSpan& span, std::string_view key) {
  std::optional<KeyLine> found;
  forEachKey(data, span, [&](const KeyLine& k) {
    if (!sameName(k.parsed.name, key)) return true;
    found = k;
    return false;
  });
  return found;
}

std::string blankLineBreaks(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (isBreak(c)) c = ' ';
  }
  return out;
}

std::string storedName(std::string_view name) { return std::string(trimBlanks(blankLineBreaks(name))); }

bool storableNames(std::string_view section, std::string_view key) {
  if (key.find('=') != npos || (!key.empty() && (key[0] == ';' || key[0] == '['))) return false;
  std::size_t i = 0, last = 0;
  while (i < section.size()) {
    last = i;
    i += text::gbkCharLength(section, i);
  }
  const auto end = section.empty() ? 0 : static_cast<unsigned char>(section[last]);
  return !(i - last == 1 && end >= 0x81 && end <= 0xFE);
}

// The host copies a value into a buffer of 10,240 bytes and its caller reads it up to the first
// NUL. A cut that would leave half a character stops one byte earlier, so the text never ends in a
// lone lead byte.
std::string valueText(std::string_view value) {
  value = value.substr(0, value.find('\0'));
  if (value.size() <= kMaxValueBytes) return std::string(value);
  std::size_t end = 0;
  while (end < value.size()) {
    const std::size_t len = text::gbkCharLength(value, end);
    if (end + len > kMaxValueBytes) break;
    end += len;
  }
  return std::string(value.substr(0, end));
}

std::string fallbackText(std::string_view fallback) {
  fallback = fallback.substr(0, fallback.find('\0'));
  const std::size_t last = fallback.find_last_not_of(' ');
  return valueText(fallback.substr(0, last == npos ? 0 : last + 1));
}

namespace {

// Reads the whole file through `room(capacity)`, which gives a buffer of that many bytes keeping
// the bytes read so far (nullptr: no memory). `done` receives the number of bytes read.
template <class Room>
ReadStatus readWith(const std::string& path, struct stat* opened, std::size_t& done, Room room) {
  done = 0;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Missing : ReadStatus::Failed;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return ReadStatus::Failed;
  }
  if (opened) *opened = st;
  // One read for the size the file had when opened, then more until the end (it may have grown).
  std::size_t capacity = static_cast<std::size_t>(st.st_size) + 1;
  char* buffer = room(capacity);
  while (buffer) {
    if (done == capacity) {
      capacity = capacity * 2 + 4096;
      if (!(buffer = room(capacity))) break;
    }
    const ssize_t n = ::read(fd, buffer + done, capacity - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
    } else if (n == 0) {
      ::close(fd);
      return ReadStatus::Ok;
    } else if (errno != EINTR) {
      break;
    }
  }
  ::close(fd);
  done = 0;
  return ReadStatus::Failed;
}

}  // namespace

ReadStatus readFileBytes(const std::string& path, std::string& out, struct stat* opened) {
  std::size_t done = 0;
  const ReadStatus status = readWith(path, opened, done, [&](std::size_t capacity) {
    out.resize(capacity);
    return out.data();
  });
  out.resize(done);
  return status;
}

FileBytes::~FileBytes() { release(); }

void FileBytes::release() {
  std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = 0;
}

char* FileBytes::reserve(std::size_t capacity) {
  if (capacity <= capacity_) return data_;
  // Not value-initialised; the allocator hands back memory freed by the last transaction, whose
  // pages are mapped already.
  char* grown = static_cast<char*>(std::realloc(data_, capacity));
  if (!grown) return nullptr;
  data_ = grown;
  capacity_ = capacity;
  return data_;
}

ReadStatus readFileBytes(const std::string& path, FileBytes& out, struct stat* opened) {
  out.release();
  std::size_t done = 0;
  const ReadStatus status = readWith(path, opened, done, [&](std::size_t capacity) {
    out.size_ = done;
    return out.reserve(capacity);
  });
  if (status == ReadStatus::Ok) {
    out.size_ = done;
  } else {
    out.release();
  }
  return status;
}

}  // namespace config::ini
