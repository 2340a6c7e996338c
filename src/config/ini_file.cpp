#include "config/ini_file.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "text/gbk.h"
#include "text/search.h"

namespace config {

namespace {

constexpr std::string_view kBlanks = " \t";
constexpr std::size_t npos = std::string_view::npos;

std::string_view trimView(std::string_view s) {
  const std::size_t b = s.find_first_not_of(kBlanks);
  if (b == npos) return {};
  const std::size_t e = s.find_last_not_of(kBlanks);
  return s.substr(b, e - b + 1);
}

// Names compare ignoring ASCII letter case; the two bytes of a GBK character compare exactly, so
// 乁 (81 41) never equals 81 61.
bool sameName(std::string_view inFile, std::string_view wanted) {
  return inFile.size() == wanted.size() && text::startsWithIgnoreCase(inFile, wanted);
}

// One line of a file: content [begin, end), its line break [end, next). The last line may have none.
struct Line {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::size_t next = 0;
};

// CR LF, a lone CR and a lone LF each end a line. Neither byte can be a GBK trail byte, so every
// line starts at a character boundary.
template <class Visit>
void forEachLine(std::string_view data, Visit visit) {
  std::size_t pos = 0;
  while (pos < data.size()) {
    // A plain byte loop: find_first_of calls memchr once per byte, which dominated every event.
    std::size_t end = pos;
    while (end < data.size() && data[end] != '\r' && data[end] != '\n') ++end;
    if (end == data.size()) end = npos;
    std::size_t next;
    if (end == npos) {
      end = next = data.size();
    } else if (data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n') {
      next = end + 2;
    } else {
      next = end + 1;
    }
    if (!visit(Line{pos, end, next})) return;
    pos = next;
  }
}

enum class LineKind { Other, Section, Key };

struct ParsedLine {
  LineKind kind = LineKind::Other;
  std::string_view name;
  std::string_view value;
};

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
      parsed.name = trimView(rest.substr(1, close - 1));
      return parsed;
    }
  }
  // '=' is never a GBK trail byte, so a byte search is safe here.
  const std::size_t eq = rest.find('=');
  if (eq == npos) return parsed;
  parsed.kind = LineKind::Key;
  parsed.name = trimView(rest.substr(0, eq));
  parsed.value = trimView(rest.substr(eq + 1));
  return parsed;
}

// Where a section and a key are in a file's bytes. Only the first section of the name counts, and
// in it the first key of the name.
struct Location {
  bool sectionFound = false;
  bool keyFound = false;
  Line keyLine;
  std::string_view keyName;  // the key's spelling in the file
  std::string_view value;
  Line lastLine;  // the section's last key line, or its header when it has no key
};

Location locate(std::string_view data, std::string_view section, std::string_view key) {
  Location loc;
  bool inSection = false;
  forEachLine(data, [&](const Line& line) {
    const ParsedLine parsed = parseLine(data.substr(line.begin, line.end - line.begin));
    if (parsed.kind == LineKind::Section) {
      if (inSection) return false;
      if (sameName(parsed.name, section)) {
        inSection = loc.sectionFound = true;
        loc.lastLine = line;
      }
      return true;
    }
    if (!inSection || parsed.kind != LineKind::Key) return true;
    loc.lastLine = line;
    if (!sameName(parsed.name, key)) return true;
    loc.keyFound = true;
    loc.keyLine = line;
    loc.keyName = parsed.name;
    loc.value = parsed.value;
    return false;
  });
  return loc;
}

// The host copies a value into a buffer of 10,240 bytes. A cut that would leave half a character
// stops one byte earlier, so the text never ends in a lone lead byte.
std::string cutValue(std::string_view value) {
  if (value.size() <= kMaxValueBytes) return std::string(value);
  std::size_t end = 0;
  while (end < value.size()) {
    const std::size_t len = text::gbkCharLength(value, end);
    if (end + len > kMaxValueBytes) break;
    end += len;
  }
  return std::string(value.substr(0, end));
}

std::string blankLineBreaks(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

// Names are looked up and written alike: blanks around them dropped, line breaks blanked.
std::string storedName(std::string_view name) { return std::string(trimView(blankLineBreaks(name))); }

// Whether "[section]" and "key=" read back as that section and key.
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

enum class ReadStatus { Ok, Missing, Failed };

ReadStatus readFile(const std::string& path, std::string& out) {
  out.clear();
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Missing : ReadStatus::Failed;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return ReadStatus::Failed;
  }
  if (st.st_size > 0) out.reserve(static_cast<std::size_t>(st.st_size));
  char buffer[65536];
  while (true) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n > 0) {
      out.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0) {
      break;
    } else if (errno != EINTR) {
      ::close(fd);
      out.clear();
      return ReadStatus::Failed;
    }
  }
  ::close(fd);
  return ReadStatus::Ok;
}

std::atomic<bool> faultInstalled{false};
std::mutex faultMutex;
std::function<int(WriteStep, const std::string&)>& writeFault() {
  static std::function<int(WriteStep, const std::string&)> fault;
  return fault;
}

// True when a test made this step fail; errno then holds the error it chose.
bool injectedFault(WriteStep step, const std::string& path) {
  if (!faultInstalled.load(std::memory_order_acquire)) return false;
  std::function<int(WriteStep, const std::string&)> fault;
  {
    std::lock_guard<std::mutex> lock(faultMutex);
    fault = writeFault();
  }
  const int error = fault ? fault(step, path) : 0;
  if (error != 0) errno = error;
  return error != 0;
}

bool writeAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Writes the new content beside the file and renames it over the old one: a reader sees either
// the old or the new complete file, even when the writer dies half-way.
bool replaceFile(const std::string& path, std::string_view bytes) {
  std::string target = path;
  struct stat linkStat;
  if (::lstat(path.c_str(), &linkStat) == 0 && S_ISLNK(linkStat.st_mode)) {
    // Update the file the link points to, as an in-place write would, instead of the link.
    if (char* real = ::realpath(path.c_str(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  struct stat old;
  const bool existed = ::stat(target.c_str(), &old) == 0;
  if (existed) {
    if (!S_ISREG(old.st_mode)) return false;
    if (::access(target.c_str(), W_OK) != 0) return false;  // a read-only file stays as it is
  }

  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == npos ? target : target.substr(slash + 1);
  static std::atomic<unsigned long> counter{0};
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = folder + "." + base.substr(0, 64) + "." + std::to_string(::getpid()) + "." +
           std::to_string(counter.fetch_add(1)) + ".tmp";
    // Mode 0666 under the umask, like any new file; a missing folder fails here and creates nothing.
    if (injectedFault(WriteStep::CreateTemp, target)) return false;
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return false;
  }
  if (fd < 0) return false;
  if (existed) ::fchmod(fd, old.st_mode & 07777);
  bool ok = !injectedFault(WriteStep::Write, target) && writeAll(fd, bytes) &&
            !injectedFault(WriteStep::Sync, target) && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = !injectedFault(WriteStep::Rename, target) && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

}  // namespace

std::optional<std::string> findIniValue(const std::string& path, std::string_view section, std::string_view key) {
  std::string data;
  if (readFile(path, data) != ReadStatus::Ok) return std::nullopt;
  const Location loc = locate(data, storedName(section), storedName(key));
  if (!loc.keyFound) return std::nullopt;
  return cutValue(loc.value);
}

std::string readIniValue(const std::string& path, std::string_view section, std::string_view key,
                         std::string_view fallback) {
  if (auto value = findIniValue(path, section, key)) return std::move(*value);
  return cutValue(fallback);
}

bool writeIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value) {
  const std::string sectionName = storedName(section);
  const std::string keyName = storedName(key);
  if (!storableNames(sectionName, keyName)) return false;
  const std::string entry = keyName + "=" + blankLineBreaks(value) + "\r\n";

  std::string data;
  const ReadStatus status = readFile(path, data);
  // A file that exists but cannot be read is not replaced by one holding only this key.
  if (status == ReadStatus::Failed) return false;

  const Location loc = locate(data, sectionName, keyName);
  std::string out;
  out.reserve(data.size() + entry.size() + sectionName.size() + 4);
  if (loc.keyFound) {
    out.append(data, 0, loc.keyLine.begin);
    out.append(loc.keyName);
    out.append(entry, keyName.size());
    out.append(data, loc.keyLine.next);
  } else if (loc.sectionFound) {
    const std::size_t at = loc.lastLine.next;
    out.append(data, 0, at);
    if (loc.lastLine.next == loc.lastLine.end) out.append("\r\n");  // the file's last line had no break
    out.append(entry);
    out.append(data, at);
  } else {
    out = data;
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out.append("\r\n");
    out.append("[").append(sectionName).append("]\r\n").append(entry);
  }
  if (status == ReadStatus::Ok && out == data) return true;
  return replaceFile(path, out);
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string readWholeFile(const std::string& path) {
  std::string data;
  readFile(path, data);
  return data;
}

bool writeWholeFile(const std::string& path, std::string_view bytes) { return replaceFile(path, bytes); }

void setWriteFault(std::function<int(WriteStep step, const std::string& path)> fault) {
  std::lock_guard<std::mutex> lock(faultMutex);
  faultInstalled.store(static_cast<bool>(fault), std::memory_order_release);
  writeFault() = std::move(fault);
}

bool makeFolder(const std::string& path) {
  if (::mkdir(path.c_str(), 0777) == 0) return true;
  if (errno != EEXIST) return false;
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace config
