// The INI reader and writer over arbitrary file bytes. The input is a section name, a key name and
// a value (lengths in its first four bytes: section, key, value as 16 bits little-endian), then the
// file's bytes; no bytes at all stand for a missing file.
//
// Reading never returns a line break or more than 10,239 bytes. A name the format cannot hold is
// refused. A written value reads back as stored (blanks at its ends dropped, line breaks blanked,
// cut only by the 10,239-byte rule). The write changes only the lines it must: the key's line is
// rewritten with the key's spelling kept, or one key line joins its section, or the section and
// the key are appended; every other line keeps its bytes, so no line is cut, lost or added. Every
// other key of the file reads as it did before, and no temporary file stays beside the file.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/ini_file.h"
#include "text/gbk.h"
#include "text/search.h"

namespace {

void check(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz_ini: %s\n", what);
  std::abort();
}

// A folder of its own, on a memory file system when there is one: the writer syncs every file it
// replaces, and on a disk that sync is most of a run's time.
const std::filesystem::path& scratchFolder() {
  static const std::filesystem::path folder = [] {
    std::vector<std::string> bases;
    if (!std::getenv("TMPDIR") && std::filesystem::is_directory("/dev/shm")) bases.push_back("/dev/shm");
    bases.push_back(std::filesystem::temp_directory_path().string());
    for (const std::string& base : bases) {
      std::string pattern = base + "/fuzz-ini-XXXXXX";
      if (::mkdtemp(pattern.data())) return std::filesystem::path(pattern);
    }
    std::abort();
  }();
  static const bool cleanup = [] { return std::atexit([] { std::filesystem::remove_all(folder); }) == 0; }();
  (void)cleanup;
  return folder;
}

void putFile(const std::string& path, std::string_view bytes) {
  std::filesystem::remove(path);
  if (bytes.empty()) return;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  check(static_cast<bool>(out), "cannot write the scratch file");
}

std::string_view take(std::string_view& rest, std::size_t n) {
  n = std::min(n, rest.size());
  const std::string_view head = rest.substr(0, n);
  rest.remove_prefix(n);
  return head;
}

std::string lineBreaksBlanked(std::string value) {
  for (char& c : value)
    if (c == '\r' || c == '\n') c = ' ';
  return value;
}

std::string blanksTrimmed(std::string_view value) {
  const std::size_t b = value.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return std::string(value.substr(b, value.find_last_not_of(" \t") - b + 1));
}

std::string storedName(std::string_view name) { return blanksTrimmed(lineBreaksBlanked(std::string(name))); }

bool sameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && text::startsWithIgnoreCase(a, b);
}

// What the file format can hold as a section and key that read back; the writer refuses others.
bool storable(std::string_view section, std::string_view key) {
  if (key.find('=') != std::string::npos || (!key.empty() && (key[0] == ';' || key[0] == '['))) return false;
  // A section ending in a lone lead byte would pair it with the closing ']'.
  std::size_t i = 0, last = 0;
  while (i < section.size()) {
    last = i;
    i += text::gbkCharLength(section, i);
  }
  if (section.empty() || i - last != 1) return true;
  const auto c = static_cast<unsigned char>(section[last]);
  return c < 0x81 || c > 0xFE;
}

// The value a read gives back after `value` was written.
// What a caller reads back: the stored value up to its first NUL byte, cut by the 10,239-byte rule.
std::string readBackOf(std::string_view value) {
  std::string stored = blanksTrimmed(lineBreaksBlanked(std::string(value)));
  stored = stored.substr(0, stored.find('\0'));
  if (stored.size() <= config::kMaxValueBytes) return stored;
  std::size_t keep = 0;
  while (keep + text::gbkCharLength(stored, keep) <= config::kMaxValueBytes) keep += text::gbkCharLength(stored, keep);
  return stored.substr(0, keep);
}

void checkRead(const std::optional<std::string>& value) {
  if (!value) return;
  check(value->size() <= config::kMaxValueBytes, "a value longer than 10,239 bytes was read");
  check(value->find_first_of("\r\n") == std::string::npos, "a value holding a line break was read");
}

// The lines of a file, each with its line break (CR LF, a lone CR or a lone LF; the last may have none).
std::vector<std::string_view> linesOf(std::string_view data) {
  std::vector<std::string_view> lines;
  std::size_t pos = 0;
  while (pos < data.size()) {
    std::size_t end = data.find_first_of("\r\n", pos);
    if (end == std::string::npos) {
      end = data.size();
    } else {
      end += (data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n') ? 2 : 1;
    }
    lines.push_back(data.substr(pos, end - pos));
    pos = end;
  }
  return lines;
}

bool endsInBreak(std::string_view line) { return !line.empty() && (line.back() == '\n' || line.back() == '\r'); }

// Compares the file before and after writing `section`/`key` = `value` (names as stored): past the
// lines both share at their start and end, what is left must be one of the writer's three edits.
void checkChangedLines(std::string_view before, std::string_view after, const std::string& section,
                       const std::string& key, const std::string& value) {
  const std::vector<std::string_view> b = linesOf(before), a = linesOf(after);
  std::size_t head = 0;
  while (head < b.size() && head < a.size() && b[head] == a[head]) ++head;
  std::size_t tail = 0;
  while (tail < b.size() - head && tail < a.size() - head && b[b.size() - 1 - tail] == a[a.size() - 1 - tail]) ++tail;
  std::vector<std::string_view> removed(b.begin() + static_cast<std::ptrdiff_t>(head), b.end() - static_cast<std::ptrdiff_t>(tail));
  std::vector<std::string_view> added(a.begin() + static_cast<std::ptrdiff_t>(head), a.end() - static_cast<std::ptrdiff_t>(tail));
  const std::string entry = key + "=" + lineBreaksBlanked(value) + "\r\n";

  // A last line without a break gets one before anything is written after it.
  if (removed.size() == 1 && added.size() >= 2 && tail == 0 && !endsInBreak(removed[0]) &&
      added[0] == std::string(removed[0]) + "\r\n") {
    removed.clear();
    added.erase(added.begin());
  }
  if (removed.empty() && added.empty()) return;  // the value was stored already
  if (removed.size() == 1 && added.size() == 1) {
    // The key's line rewritten: its spelling kept, blanks around the name and its old break dropped.
    const std::string_view old = removed[0];
    const std::size_t eq = old.find('=');
    check(eq != std::string::npos, "a line that is no key was rewritten");
    const std::string spelling = blanksTrimmed(old.substr(0, eq));
    check(sameName(spelling, key), "another key's line was rewritten");
    check(added[0] == spelling + "=" + lineBreaksBlanked(value) + "\r\n", "the key's line was rewritten wrongly");
    return;
  }
  if (removed.empty() && added.size() == 1) {
    check(added[0] == entry, "a line other than the key's was added");
    return;
  }
  check(removed.empty() && tail == 0 && added.size() == 2 && added[0] == "[" + section + "]\r\n" && added[1] == entry,
        "lines were cut, lost or added");
}

// The names that appear in the file: section headers and the text before a '=' (a bounded few).
void collectNames(std::string_view data, std::vector<std::string>& sections, std::vector<std::string>& keys) {
  for (const std::string_view raw : linesOf(data)) {
    if (sections.size() >= 8 && keys.size() >= 8) break;
    const std::string line = storedName(raw);
    const std::size_t close = line.rfind(']');
    if (!line.empty() && line[0] == '[' && close != std::string::npos && sections.size() < 8) {
      sections.push_back(blanksTrimmed(line.substr(1, close - 1)));
    } else if (const std::size_t eq = line.find('='); eq != std::string::npos && keys.size() < 8) {
      keys.push_back(blanksTrimmed(line.substr(0, eq)));
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  if (rest.size() < 4) return 0;
  const std::size_t sectionLength = static_cast<unsigned char>(rest[0]);
  const std::size_t keyLength = static_cast<unsigned char>(rest[1]);
  const std::size_t valueLength =
      static_cast<unsigned char>(rest[2]) | (static_cast<std::size_t>(static_cast<unsigned char>(rest[3])) << 8);
  rest.remove_prefix(4);
  const std::string section(take(rest, sectionLength));
  const std::string key(take(rest, keyLength));
  const std::string value(take(rest, valueLength));
  const std::string_view file = rest;

  const std::filesystem::path& folder = scratchFolder();
  const std::string path = (folder / "f.ini").string();
  putFile(path, file);

  // Reading arbitrary bytes.
  const std::optional<std::string> found = config::findIniValue(path, section, key);
  checkRead(found);
  const std::string fallback = "\x01" "fallback";
  check(config::readIniValue(path, section, key, fallback) == (found ? *found : fallback),
        "readIniValue and findIniValue disagree");

  std::vector<std::string> sections, keys;
  collectNames(file, sections, keys);
  sections.push_back(section);
  keys.push_back(key);
  std::vector<std::optional<std::string>> before;
  for (const auto& s : sections)
    for (const auto& k : keys) before.push_back(config::findIniValue(path, s, k));

  // Writing, then reading back.
  const std::string storedSection = storedName(section), storedKey = storedName(key);
  const bool written = config::writeIniValue(path, section, key, value);
  check(written == storable(storedSection, storedKey), "a storable name was refused or another written");
  const std::string now = config::readWholeFile(path);
  if (written) {
    const std::optional<std::string> readBack = config::findIniValue(path, section, key);
    check(readBack && *readBack == readBackOf(value), "the written value reads back otherwise");
    checkChangedLines(file, now, storedSection, storedKey, value);
  } else {
    check(now == file, "a refused write changed the file");
  }
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    check(entry.path().filename() == "f.ini", "a temporary file stayed beside the file");

  std::size_t i = 0;
  for (const auto& s : sections) {
    for (const auto& k : keys) {
      const std::optional<std::string> after = config::findIniValue(path, s, k);
      checkRead(after);
      const bool target = sameName(storedName(s), storedSection) && sameName(storedName(k), storedKey);
      check((written && target) || after == before[i], "another key reads otherwise after the write");
      ++i;
    }
  }
  return 0;
}
