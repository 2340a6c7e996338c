#include "config/ini_cache.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <mutex>
#include <unordered_map>
#include <sys/stat.h>

namespace config::ini {

namespace {

constexpr std::size_t kMaxCachedBytes = 1 << 20;
constexpr std::size_t kMaxCachedFiles = 64;
constexpr long long kNs = 1000000000LL;
constexpr long long kCoarseClockLagNs = 20000000LL;  // 20 ms: two ticks at the slowest kernel clock

long long nanos(const struct timespec& t) { return static_cast<long long>(t.tv_sec) * kNs + t.tv_nsec; }

struct Identity {
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  long long mtime = 0, ctime = 0;
  bool operator==(const Identity&) const = default;
};

Identity identityOf(const struct stat& st) {
  return Identity{st.st_dev, st.st_ino, st.st_size, nanos(st.st_mtim), nanos(st.st_ctim)};
}

// The coarsest clock step the stamp can come from (see the header).
long long stepOf(long long stamp) {
  long long sub = stamp % kNs;
  if (sub == 0) return 2 * kNs;
  long long step = 1;
  while (sub % 10 == 0) {
    sub /= 10;
    step *= 10;
  }
  return step;
}

// Whether a copy read at `readAt` (taken before the file was opened) can hide no later write.
bool oldEnough(const Identity& id, long long readAt) {
  const long long stamp = id.ctime > id.mtime ? id.ctime : id.mtime;
  return readAt - stamp > std::max(stepOf(id.mtime), stepOf(id.ctime)) + kCoarseClockLagNs;
}

struct Copy {
  Identity identity;
  std::shared_ptr<const std::string> bytes;
};

std::mutex cacheMutex;
std::unordered_map<std::string, Copy>& copies() {
  static std::unordered_map<std::string, Copy> map;
  return map;
}

long long realtimeNow() {
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  return nanos(now);
}

}  // namespace

std::shared_ptr<const std::string> cachedFileBytes(const std::string& path, ReadStatus& status) {
  struct stat st;
  if (::stat(path.c_str(), &st) != 0) {
    status = (errno == ENOENT || errno == ENOTDIR) ? ReadStatus::Missing : ReadStatus::Failed;
    forgetFile(path);
    return nullptr;
  }
  if (S_ISREG(st.st_mode)) {
    std::lock_guard<std::mutex> lock(cacheMutex);
    const auto it = copies().find(path);
    if (it != copies().end() && it->second.identity == identityOf(st)) {
      status = ReadStatus::Ok;
      return it->second.bytes;
    }
  }

  const long long readAt = realtimeNow();
  // The identity of what is read comes from the open file itself, taken before its bytes.
  auto bytes = std::make_shared<std::string>();
  struct stat opened;
  status = readFileBytes(path, *bytes, &opened);
  if (status != ReadStatus::Ok) {
    forgetFile(path);
    return nullptr;
  }
  const Identity identity = identityOf(opened);
  std::lock_guard<std::mutex> lock(cacheMutex);
  if (bytes->size() <= kMaxCachedBytes && static_cast<off_t>(bytes->size()) == opened.st_size &&
      oldEnough(identity, readAt)) {
    if (copies().size() >= kMaxCachedFiles) copies().clear();
    copies()[path] = Copy{identity, bytes};
  } else {
    copies().erase(path);
  }
  return bytes;
}

void forgetFile(const std::string& path) {
  std::lock_guard<std::mutex> lock(cacheMutex);
  copies().erase(path);
}

}  // namespace config::ini
