// Reads reuse what they read earlier only while the file is provably the same: every edit between
// two reads is seen by the second, whoever made it and however quickly.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

#include "config/ini_file.h"
#include "temp_folder.h"

namespace {

// Runs `edit` in a child process and waits for it.
void inChild(const std::function<void()>& edit) {
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    edit();
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Overwrites bytes in place: same inode, same size, as an editor that saves in place would.
void overwriteInPlace(const std::string& path, const std::string& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY);
  if (fd < 0 || ::pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size())) ::_exit(1);
  ::close(fd);
}

TEST(IniCache, EveryEditBetweenTwoReadsIsSeen) {
  const std::string before = "[S]\r\nk=old\r\n", after = "[S]\r\nk=new\r\n";
  struct Case {
    const char* what;
    bool aged;  // the file is older than the clock step when first read, so its copy is kept
    std::function<void(const std::string&)> edit;
  } cases[] = {
      {"this process replaces it", false, [&](const std::string& p) { config::writeIniValue(p, "S", "k", "new"); }},
      {"this process replaces a kept file", true, [&](const std::string& p) { config::writeIniValue(p, "S", "k", "new"); }},
      // Written in the same clock tick as the first read: the stamps may not move at all.
      {"another process, in place, same size, at once", false,
       [&](const std::string& p) { inChild([&] { overwriteInPlace(p, after); }); }},
      {"another process, in place, same size, kept file", true,
       [&](const std::string& p) { inChild([&] { overwriteInPlace(p, after); }); }},
      // A tool that restores the modification time after an edit in place.
      {"another process, in place, modification time put back", true,
       [&](const std::string& p) {
         inChild([&] {
           struct stat st;
           if (::stat(p.c_str(), &st) != 0) ::_exit(1);
           overwriteInPlace(p, after);
           const struct timespec times[2] = {st.st_atim, st.st_mtim};
           if (::utimensat(AT_FDCWD, p.c_str(), times, 0) != 0) ::_exit(1);
         });
       }},
      {"another process replaces it", true,
       [&](const std::string& p) { inChild([&] { config::writeIniValue(p, "S", "k", "new"); }); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    const std::string path = dir.file("a.ini");
    putBytes(path, before);
    if (c.aged) std::this_thread::sleep_for(std::chrono::milliseconds(60));
    EXPECT_EQ(config::readIniValue(path, "S", "k"), "old");
    EXPECT_EQ(config::readIniValue(path, "S", "k"), "old");
    c.edit(path);
    EXPECT_EQ(config::readIniValue(path, "S", "k"), "new");
  }
}

TEST(IniCache, ARemovedFileReadsAsMissing) {
  TempFolder dir;
  const std::string path = dir.file("a.ini");
  putBytes(path, "[S]\r\nk=v\r\n");
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  EXPECT_EQ(config::readIniValue(path, "S", "k"), "v");
  ASSERT_EQ(::unlink(path.c_str()), 0);
  EXPECT_EQ(config::findIniValue(path, "S", "k"), std::nullopt);
}

}  // namespace
