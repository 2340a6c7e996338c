#include "config/folder_lock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace config {

// Each lock opens its own descriptor: flock locks belong to the open file description, so two
// locks in the same process exclude each other just as two processes do.
FolderLock::FolderLock(const std::string& folderPath) {
  const int fd = ::open(folderPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  int rc;
  do {
    rc = ::flock(fd, LOCK_EX);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) {
    ::close(fd);
    return;
  }
  fd_ = fd;
}

FolderLock::~FolderLock() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
}

}  // namespace config
