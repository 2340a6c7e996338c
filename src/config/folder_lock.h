// FolderLock: an advisory lock (flock) on a folder, held for one read-modify-write sequence on
// the files inside it (ledger, claim register, join records). It excludes other threads and other
// processes that lock the same folder. Never hold it across an HTTP exchange. A folder that cannot
// be opened is not locked (the sequence then runs unguarded, as the files would fail anyway).
#pragma once

#include <string>

namespace config {

class FolderLock {
 public:
  explicit FolderLock(const std::string& folderPath);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;
  bool locked() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

}  // namespace config
