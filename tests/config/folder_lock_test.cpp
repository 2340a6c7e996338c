#include "config/folder_lock.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>
#include <vector>

#include "config/ini_file.h"
#include "temp_folder.h"

using config::FolderLock;

namespace {

// Tries to take the folder's lock from a descriptor of its own without waiting.
bool lockIsFree(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
  ::close(fd);
  return free;
}

}  // namespace

TEST(FolderLock, ExcludesOtherThreadsWhileHeld) {
  TempFolder dir;
  bool freeWhileHeld = true;
  {
    FolderLock lock(dir.path());
    ASSERT_TRUE(lock.locked());
    std::thread other([&] { freeWhileHeld = lockIsFree(dir.path()); });
    other.join();
  }
  EXPECT_FALSE(freeWhileHeld);
  bool freeAfter = false;
  std::thread other([&] { freeAfter = lockIsFree(dir.path()); });
  other.join();
  EXPECT_TRUE(freeAfter);

  EXPECT_FALSE(FolderLock(dir.file("missing")).locked());
}

TEST(FolderLock, ReadModifyWriteLosesNoIncrement) {
  TempFolder dir;
  const std::string path = dir.file("count.ini");
  constexpr int kThreads = 4;
  constexpr int kRounds = 50;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int i = 0; i < kRounds; ++i) {
        FolderLock lock(dir.path());
        const int n = std::stoi(config::readIniValue(path, "S", "n", "0"));
        config::writeIniValue(path, "S", "n", std::to_string(n + 1));
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(config::readIniValue(path, "S", "n"), std::to_string(kThreads * kRounds));
}
