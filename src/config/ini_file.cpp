#include "config/ini_file.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include "config/ini_cache.h"
#include "config/ini_text.h"
#include "config/ini_transaction.h"
#include "text/search.h"

namespace config {

namespace {

constexpr std::size_t npos = std::string::npos;
constexpr time_t kStaleAfterSeconds = 60;

// Our temporary files are "." + file name + "." + process id + "." + counter + ".tmp".
bool isOurTemporary(std::string_view name) {
  constexpr std::string_view suffix = ".tmp";
  if (name.size() < 1 + suffix.size() || name[0] != '.' || !name.ends_with(suffix)) return false;
  name.remove_suffix(suffix.size());
  for (int number = 0; number < 2; ++number) {
    const std::size_t dot = name.rfind('.');
    if (dot == npos || dot + 1 == name.size()) return false;
    for (char c : name.substr(dot + 1))
      if (c < '0' || c > '9') return false;
    name = name.substr(0, dot);
  }
  return name.size() > 1;  // the leading dot and at least one byte of the file's name
}

// Removes the temporary files that writers killed half-way left in the folder, once it is
// written again. A live writer's file is younger than a minute (a replace takes milliseconds), so
// only older ones go. A folder is swept at most once a minute per process: the plug-in's own
// folder holds one folder per group and is written at every gift.
void sweepStaleTemporaries(const std::string& folder) {
  static std::mutex sweepMutex;
  static std::unordered_map<std::string, time_t> lastSweep;
  const time_t now = ::time(nullptr);
  {
    std::lock_guard<std::mutex> lock(sweepMutex);
    time_t& last = lastSweep[folder];
    if (last != 0 && now - last < kStaleAfterSeconds && now >= last) return;
    last = now;
    if (lastSweep.size() > 4096) lastSweep.clear();
  }
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return;
  const int dirFd = ::dirfd(dir);
  while (const struct dirent* entry = ::readdir(dir)) {
    if (!isOurTemporary(entry->d_name)) continue;
    struct stat st;
    if (::fstatat(dirFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode)) continue;
    if (now - st.st_mtime > kStaleAfterSeconds) ::unlinkat(dirFd, entry->d_name, 0);
  }
  ::closedir(dir);
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

// Writes the pieces in order, as few system calls as the kernel allows (it may write less than
// asked, and takes at most IOV_MAX pieces at a time).
bool writeAll(int fd, std::span<const std::string_view> pieces) {
  constexpr std::size_t kMaxPieces = 1024;
  iovec vec[kMaxPieces];
  std::size_t piece = 0, offset = 0;  // the first byte not yet written
  while (piece < pieces.size()) {
    std::size_t count = 0;
    for (std::size_t i = piece; i < pieces.size() && count < kMaxPieces; ++i) {
      const std::size_t skip = i == piece ? offset : 0;
      if (pieces[i].size() == skip) continue;
      vec[count].iov_base = const_cast<char*>(pieces[i].data() + skip);
      vec[count].iov_len = pieces[i].size() - skip;
      ++count;
    }
    if (count == 0) return true;
    ssize_t n = ::writev(fd, vec, static_cast<int>(count));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    auto left = static_cast<std::size_t>(n);
    while (piece < pieces.size() && left >= pieces[piece].size() - offset) {
      left -= pieces[piece].size() - offset;
      ++piece;
      offset = 0;
    }
    offset += left;
  }
  return true;
}

// Writes the new content beside the file and renames it over the old one: a reader sees either
// the old or the new complete file, even when the writer dies half-way.
bool replaceFile(const std::string& path, std::span<const std::string_view> pieces, Sync sync) {
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
  sweepStaleTemporaries(folder);
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
  // An unsynced replace still syncs a new file: only renaming over an existing file makes ext4
  // flush the new bytes before the rename is committed, so no power loss can leave a cut file.
  const bool syncs = sync == Sync::Durable || !existed;
  bool ok = !injectedFault(WriteStep::Write, target) && writeAll(fd, pieces) &&
            (!syncs || (!injectedFault(WriteStep::Sync, target) && ::fsync(fd) == 0));
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = !injectedFault(WriteStep::Rename, target) && ::rename(temp.c_str(), target.c_str()) == 0;
  if (!ok) ::unlink(temp.c_str());
  ini::forgetFile(target);
  if (target != path) ini::forgetFile(path);
  return ok;
}

}  // namespace

std::vector<IniSection> readIniSections(const std::string& path) {
  std::vector<IniSection> sections;
  std::string data;
  if (ini::readFileBytes(path, data) != ini::ReadStatus::Ok) return sections;
  const std::string_view bytes(data);
  std::unordered_set<std::string> seenSections;  // letter case folded, as names compare
  IniSection* current = nullptr;
  for (std::size_t pos = 0; pos < bytes.size();) {
    const ini::Line line = ini::lineAt(bytes, pos);
    pos = line.next > line.begin ? line.next : bytes.size();
    const ini::ParsedLine parsed = ini::parseLine(bytes.substr(line.begin, line.end - line.begin));
    if (parsed.kind == ini::LineKind::Section) {
      current = nullptr;
      if (seenSections.insert(text::asciiLower(parsed.name)).second)
        current = &sections.emplace_back(IniSection{std::string(parsed.name), {}});
    } else if (parsed.kind == ini::LineKind::Key && current) {
      bool seen = false;
      for (const auto& k : current->keys) seen = seen || ini::sameName(k.first, parsed.name);
      if (!seen) current->keys.emplace_back(std::string(parsed.name), ini::valueText(parsed.value));
    }
  }
  return sections;
}

std::optional<std::string> findIniValue(const std::string& path, std::string_view section, std::string_view key) {
  ini::ReadStatus status;
  const std::shared_ptr<const std::string> data = ini::cachedFileBytes(path, status);
  if (!data) return std::nullopt;
  const auto span = ini::findSection(*data, ini::storedName(section));
  if (!span) return std::nullopt;
  const auto found = ini::findKey(*data, *span, ini::storedName(key));
  if (!found) return std::nullopt;
  return ini::valueText(found->parsed.value);
}

std::string readIniValue(const std::string& path, std::string_view section, std::string_view key,
                         std::string_view fallback) {
  if (auto value = findIniValue(path, section, key)) return std::move(*value);
  return ini::fallbackText(fallback);
}

bool writeIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value, Sync sync) {
  IniTransaction edit(path);
  return edit.write(section, key, value) && edit.commit(sync);
}

bool fileExists(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0;
}

std::string readWholeFile(const std::string& path) {
  std::string data;
  ini::readFileBytes(path, data);
  return data;
}

bool writeWholeFile(const std::string& path, std::string_view bytes, Sync sync) {
  return replaceFile(path, std::span<const std::string_view>(&bytes, 1), sync);
}

bool writeFilePieces(const std::string& path, std::span<const std::string_view> pieces, Sync sync) {
  return replaceFile(path, pieces, sync);
}

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
