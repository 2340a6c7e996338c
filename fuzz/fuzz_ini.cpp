// The INI reader and writer over arbitrary file bytes. The input is a section name, a key name and
// a value (lengths in its first four bytes: section, key, value as 16 bits little-endian), then the
// file's bytes. Reading never returns a line break or more than 10,239 bytes; a written value reads
// back as stored (blanks at its ends dropped, line breaks blanked, cut only by the 10,239-byte
// rule); a name the format cannot hold is refused; and every other key of the file reads as it did
// before the write.
#include <unistd.h>

#include <cstdint>
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

const std::string& scratchFile() {
  static const std::string path = [] {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/fuzz-ini-XXXXXX";
    if (!::mkdtemp(pattern.data())) std::abort();
    static const std::string folder = pattern;
    std::atexit([] { std::filesystem::remove_all(folder); });
    return folder + "/f.ini";
  }();
  return path;
}

void putFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) std::abort();
}

std::string_view take(std::string_view& rest, std::size_t n) {
  n = std::min(n, rest.size());
  const std::string_view head = rest.substr(0, n);
  rest.remove_prefix(n);
  return head;
}

std::string blanksTrimmed(std::string value) {
  for (char& c : value)
    if (c == '\r' || c == '\n') c = ' ';
  const std::size_t b = value.find_first_not_of(" \t");
  if (b == std::string::npos) return {};
  return value.substr(b, value.find_last_not_of(" \t") - b + 1);
}

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

void checkRead(const std::optional<std::string>& value) {
  if (!value) return;
  if (value->size() > config::kMaxValueBytes) std::abort();
  if (value->find_first_of("\r\n") != std::string::npos) std::abort();
}

// The names that appear in the file: section headers and the text before a '=' (a bounded few).
void collectNames(std::string_view data, std::vector<std::string>& sections, std::vector<std::string>& keys) {
  std::size_t pos = 0;
  while (pos < data.size() && (sections.size() < 8 || keys.size() < 8)) {
    std::size_t end = data.find_first_of("\r\n", pos);
    if (end == std::string::npos) end = data.size();
    const std::string line = blanksTrimmed(std::string(data.substr(pos, end - pos)));
    const std::size_t close = line.rfind(']');
    if (!line.empty() && line[0] == '[' && close != std::string::npos && sections.size() < 8) {
      sections.push_back(blanksTrimmed(line.substr(1, close - 1)));
    } else if (const std::size_t eq = line.find('='); eq != std::string::npos && keys.size() < 8) {
      keys.push_back(blanksTrimmed(line.substr(0, eq)));
    }
    pos = end + 1;
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

  const std::string& path = scratchFile();
  putFile(path, file);

  // Reading arbitrary bytes.
  const std::optional<std::string> found = config::findIniValue(path, section, key);
  checkRead(found);
  const std::string fallback = "\x01" "fallback";
  if (config::readIniValue(path, section, key, fallback) != (found ? *found : fallback)) std::abort();

  std::vector<std::string> sections, keys;
  collectNames(file, sections, keys);
  sections.push_back(section);
  keys.push_back(key);
  std::vector<std::optional<std::string>> before;
  for (const auto& s : sections)
    for (const auto& k : keys) before.push_back(config::findIniValue(path, s, k));

  // Writing, then reading back.
  const std::string storedSection = blanksTrimmed(section), storedKey = blanksTrimmed(key);
  const bool written = config::writeIniValue(path, section, key, value);
  if (written != storable(storedSection, storedKey)) std::abort();
  if (written) {
    const std::string stored = blanksTrimmed(value);
    std::size_t keep = stored.size();
    if (keep > config::kMaxValueBytes) {
      keep = 0;
      while (keep + text::gbkCharLength(stored, keep) <= config::kMaxValueBytes) keep += text::gbkCharLength(stored, keep);
    }
    const std::optional<std::string> readBack = config::findIniValue(path, section, key);
    if (!readBack || *readBack != stored.substr(0, keep)) std::abort();
  }

  std::size_t i = 0;
  for (const auto& s : sections) {
    for (const auto& k : keys) {
      const std::optional<std::string> now = config::findIniValue(path, s, k);
      checkRead(now);
      const bool target = sameName(blanksTrimmed(s), storedSection) && sameName(blanksTrimmed(k), storedKey);
      if (!(written && target) && now != before[i]) std::abort();
      ++i;
    }
  }
  return 0;
}
