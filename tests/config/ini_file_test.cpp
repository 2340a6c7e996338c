#include "config/ini_file.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <iterator>
#include <filesystem>
#include <random>
#include <set>
#include <vector>

#include "config/ini_transaction.h"
#include "temp_folder.h"
#include "text/gbk.h"

using config::readIniValue;
using config::writeIniValue;
using text::gbk;

namespace {

const std::string kFallback = "FALLBACK";

// 乚 is 81 5D (its trail byte looks like ']'); 乁 is 81 41 (its trail byte looks like 'A'), and
// 81 61 is a different character whose trail byte looks like 'a'.
const std::string kBracketChar = "\x81\x5D";
const std::string kUpperChar = "\x81\x41";
const std::string kLowerChar = "\x81\x61";

}  // namespace

TEST(IniFile, SequenceOfWritesGivesExactBytes) {
  TempFolder dir;
  const std::string path = dir.file("a.ini");
  struct Step {
    const char* section;
    const char* key;
    std::string value;
    std::string readBack;
    std::string file;
  };
  const Step steps[] = {
      {"S", "k", "v", "v", "[S]\r\nk=v\r\n"},
      {"S", "k2", "w", "w", "[S]\r\nk=v\r\nk2=w\r\n"},
      {"T", "a", "1", "1", "[S]\r\nk=v\r\nk2=w\r\n[T]\r\na=1\r\n"},
      // Case-blind match; the key keeps the spelling it has in the file.
      {"s", "K", "new", "new", "[S]\r\nk=new\r\nk2=w\r\n[T]\r\na=1\r\n"},
      // A new key goes after the last key of its own section, not at the end of the file.
      {"S", "k3", "", "", "[S]\r\nk=new\r\nk2=w\r\nk3=\r\n[T]\r\na=1\r\n"},
      // Line breaks inside a value become blanks, so the value stays one line.
      {"T", "a", "x\r\ny\nz\r", "x  y z", "[S]\r\nk=new\r\nk2=w\r\nk3=\r\n[T]\r\na=x  y z \r\n"},
      {"T", "a\r\nb", "1", "1", "[S]\r\nk=new\r\nk2=w\r\nk3=\r\n[T]\r\na=x  y z \r\na  b=1\r\n"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(std::string(s.section) + "/" + s.key);
    ASSERT_TRUE(writeIniValue(path, s.section, s.key, s.value));
    EXPECT_EQ(fileBytes(path), s.file);
    EXPECT_EQ(readIniValue(path, s.section, s.key, kFallback), s.readBack);
  }
}

TEST(IniFile, WriteIntoExistingFiles) {
  struct Case {
    const char* what;
    std::string before;
    std::string section, key, value;
    std::string after;
  };
  const Case cases[] = {
      {"empty file", "", "S", "k", "v", "[S]\r\nk=v\r\n"},
      {"header without line break", "[S]", "S", "k", "v", "[S]\r\nk=v\r\n"},
      {"last line without break", "[A]\r\nx=1", "S", "k", "v", "[A]\r\nx=1\r\n[S]\r\nk=v\r\n"},
      {"key after unterminated last key", "[S]\nb=2", "S", "k", "v", "[S]\nb=2\r\nk=v\r\n"},
      {"CR-only file", "[A]\rx=1\r", "S", "k", "v", "[A]\rx=1\r[S]\r\nk=v\r\n"},
      {"first of two sections and keys", "[S]\r\nk=1\r\nk=2\r\n[S]\r\nk=3\r\n", "S", "k", "v",
       "[S]\r\nk=v\r\nk=2\r\n[S]\r\nk=3\r\n"},
      {"key before any section", "k=0\r\n[S]\r\n", "S", "k", "v", "k=0\r\n[S]\r\nk=v\r\n"},
      {"blanks around names", "[ S ]\r\n  k \t=  1  \r\n", "S", "k", "2", "[ S ]\r\nk=2\r\n"},
      {"mixed case kept", "[Sec]\r\nKey=1\r\n", "SEC", "kEY", "2", "[Sec]\r\nKey=2\r\n"},
      {"comment is no key", "[S]\r\n;k=1\r\n", "S", "k", "v", "[S]\r\nk=v\r\n;k=1\r\n"},
      {"blank line before next section", "[S]\r\na=1\r\n\r\n[T]\r\n", "S", "b", "2",
       "[S]\r\na=1\r\nb=2\r\n\r\n[T]\r\n"},
      {"other lines keep their bytes", "; c\ntop=1\r\n[S]\ra = 1\nnoequals\r\n\r\n[T]\nb=2", "S", "a", "9",
       "; c\ntop=1\r\n[S]\ra=9\r\nnoequals\r\n\r\n[T]\nb=2"},
      {"GBK key differs from its look-alike", "[" + kBracketChar + "]\r\n" + kUpperChar + "=1\r\n", kBracketChar,
       kLowerChar, "v", "[" + kBracketChar + "]\r\n" + kUpperChar + "=1\r\n" + kLowerChar + "=v\r\n"},
      {"GBK section found through its trail byte", "[" + kBracketChar + "]\r\nk=1\r\n[T]\r\n", kBracketChar, "k",
       "2", "[" + kBracketChar + "]\r\nk=2\r\n[T]\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    const std::string path = dir.file("a.ini");
    putBytes(path, c.before);
    ASSERT_TRUE(writeIniValue(path, c.section, c.key, c.value));
    EXPECT_EQ(fileBytes(path), c.after);
  }
}

TEST(IniFile, Reads) {
  struct Case {
    const char* what;
    std::string content;
    std::string section, key;
    std::string expected;
  };
  const std::string nul("a\0b", 3);
  const Case cases[] = {
      {"plain", "[S]\r\nk=v\r\n", "S", "k", "v"},
      {"missing key", "[S]\r\nk=v\r\n", "S", "x", kFallback},
      {"missing section", "[S]\r\nk=v\r\n", "T", "k", kFallback},
      {"empty value is not absent", "[S]\r\nk=\r\n", "S", "k", ""},
      {"LF only", "[S]\nk=v\nj=w", "S", "j", "w"},
      {"CR only", "[S]\rk=v\rj=w\r", "S", "j", "w"},
      {"no final line break", "[S]\r\nk=v", "S", "k", "v"},
      // A C caller receives the value up to its NUL.
      {"NUL bytes", "[S]\r\n" + nul + "=1\r\nk=" + nul + "\r\nj=w", "S", "k", "a"},
      {"NUL first", "[S]\r\nk=" + std::string("\0b", 2) + "\r\n", "S", "k", ""},
      {"line after NUL bytes", "[S]\r\nk=" + nul + "\r\nj=w", "S", "j", "w"},
      {"blanks ignored", "\t[ S ]\r\n\t k \t=  v w  \r\n", "S", "k", "v w"},
      {"blanks in the asked names", "[S]\r\nk=v\r\n", " S ", " k\t", "v"},
      {"quotes kept", "[S]\r\nk=\"a\"\r\n", "S", "k", "\"a\""},
      {"comment", "[S]\r\n  ;k=1\r\n", "S", "k", kFallback},
      {"hash starts no comment", "[S]\r\n#k=1\r\n", "S", "#k", "1"},
      {"line without equals", "[S]\r\nk\r\n", "S", "k", kFallback},
      {"first key wins", "[S]\r\nk=1\r\nk=2\r\n", "S", "k", "1"},
      {"first section wins", "[S]\r\nk=1\r\n[S]\r\nj=2\r\n", "S", "j", kFallback},
      {"keys before any section", "k=0\r\n[S]\r\n", "S", "k", kFallback},
      {"keys before any section, empty name", "k=0\r\n[S]\r\n", "", "k", kFallback},
      {"case-blind names", "[SeC]\r\nKeY=v", "sec", "KEY", "v"},
      {"bracket trail byte", "[" + kBracketChar + "]\r\nk=v", kBracketChar, "k", "v"},
      {"bracket trail byte, name ends there", "[" + kBracketChar + "]\r\nk=v", "\x81", "k", kFallback},
      {"closing bracket inside the name", "[a]b]\r\nk=v", "a]b", "k", "v"},
      {"text after the header", "[S] ; note\r\nk=v", "S", "k", "v"},
      {"letter trail byte not folded (section)", "[" + kUpperChar + "]\r\nk=v", kLowerChar, "k", kFallback},
      {"letter trail byte not folded (key)", "[S]\r\n" + kLowerChar + "=v", "S", kUpperChar, kFallback},
      {"GBK names and value", gbk("[群管系统]\r\n是否开启群管=真\r\n"), gbk("群管系统"), gbk("是否开启群管"), gbk("真")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TempFolder dir;
    const std::string path = dir.file("a.ini");
    putBytes(path, c.content);
    EXPECT_EQ(readIniValue(path, c.section, c.key, kFallback), c.expected);
  }
  TempFolder dir;
  EXPECT_EQ(readIniValue(dir.file("missing.ini"), "S", "k", kFallback), kFallback);
  EXPECT_EQ(readIniValue(dir.file("missing.ini"), "S", "k"), "");
  EXPECT_EQ(readIniValue(dir.path(), "S", "k", kFallback), kFallback);  // a folder, not a file
  EXPECT_EQ(config::findIniValue(dir.file("missing.ini"), "S", "k"), std::nullopt);
  // A fallback comes back without its trailing blanks, as from the Windows function.
  const std::pair<std::string, std::string> fallbacks[] = {
      {"fb  ", "fb"}, {"  fb", "  fb"}, {"   ", ""}, {"f b ", "f b"}, {"fb\t", "fb\t"}, {std::string("f\0b", 3), "f"}};
  for (const auto& [given, returned] : fallbacks) EXPECT_EQ(readIniValue(dir.file("missing.ini"), "S", "k", given), returned);
}

TEST(IniFile, LongValuesAreCutAt10239Bytes) {
  TempFolder dir;
  const std::string path = dir.file("a.ini");
  const std::string wide = gbk("中");
  std::string wideText;
  for (int i = 0; i < 5120; ++i) wideText += wide;  // 10,240 bytes: byte 10,239 is a lead byte
  const std::string megabyte(1 << 20, 'x');
  const std::string content = "[S]\r\nexact=" + std::string(10239, 'e') + "\r\nover=" + std::string(10240, 'o') +
                              "\r\nwide=" + wideText + "\r\nbig=" + megabyte + "\r\nafter=1\r\n";
  putBytes(path, content);
  EXPECT_EQ(readIniValue(path, "S", "exact"), std::string(10239, 'e'));
  EXPECT_EQ(readIniValue(path, "S", "over"), std::string(10239, 'o'));
  EXPECT_EQ(readIniValue(path, "S", "wide"), wideText.substr(0, 10238));
  EXPECT_EQ(readIniValue(path, "S", "big"), megabyte.substr(0, 10239));
  EXPECT_EQ(readIniValue(path, "S", "after"), "1");
  EXPECT_EQ(readIniValue(path, "S", "none", std::string(20000, 'f')), std::string(10239, 'f'));

  // A write elsewhere in the file keeps the long line whole.
  ASSERT_TRUE(writeIniValue(path, "S", "after", "2"));
  EXPECT_EQ(fileBytes(path), content.substr(0, content.size() - 3) + "2\r\n");
}

TEST(IniFile, FileHandling) {
  TempFolder dir;
  // A missing folder is never created and the write fails.
  EXPECT_FALSE(writeIniValue(dir.file("none/a.ini"), "S", "k", "v"));
  EXPECT_FALSE(config::writeWholeFile(dir.file("none/a.txt"), "x"));
  EXPECT_FALSE(config::fileExists(dir.file("none")));
  // A folder in the file's place is left alone.
  ASSERT_TRUE(config::makeFolder(dir.file("sub")));
  EXPECT_TRUE(config::makeFolder(dir.file("sub")));
  EXPECT_FALSE(writeIniValue(dir.file("sub"), "S", "k", "v"));
  EXPECT_FALSE(config::makeFolder(dir.file("none/deeper")));

  // The file's permission bits survive the replacement.
  const std::string path = dir.file("a.ini");
  ASSERT_TRUE(writeIniValue(path, "S", "k", "1"));
  ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
  ASSERT_TRUE(writeIniValue(path, "S", "k", "2"));
  struct stat st;
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);

  // A write through a symbolic link updates the file it points to and keeps the link.
  const std::string link = dir.file("link.ini");
  ASSERT_EQ(::symlink(path.c_str(), link.c_str()), 0);
  ASSERT_TRUE(writeIniValue(link, "S", "k", "3"));
  ASSERT_EQ(::lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_EQ(fileBytes(path), "[S]\r\nk=3\r\n");

  // No temporary file is left behind by successful writes.
  const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()),
                                     std::filesystem::directory_iterator());
  EXPECT_EQ(entries, 3);  // sub, a.ini, link.ini

  if (::geteuid() != 0) {  // root writes through any permission bits
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(writeIniValue(path, "S", "k", "4"));
    EXPECT_EQ(fileBytes(path), "[S]\r\nk=3\r\n");
  }
}

// Written as they are, these names would make a line that reads as another key or section.
TEST(IniFile, NamesTheFormatCannotHoldAreRefused) {
  TempFolder dir;
  const std::string path = dir.file("a.ini");
  const std::string file = "[S]\r\na=1\r\n[T]\r\nb=2\r\n";
  putBytes(path, file);
  const struct {
    std::string section;
    std::string key;
  } refused[] = {{"S", "a=b"}, {"S", "[T]"}, {"S", " ;x"}, {"U\x81", "k"}};
  for (const auto& c : refused) {
    SCOPED_TRACE(c.section + "/" + c.key);
    EXPECT_FALSE(writeIniValue(path, c.section, c.key, "v"));
  }
  EXPECT_EQ(fileBytes(path), file);
  // A key may hold ';', '[' and ']' after its first character; a section may hold ']' and 乚.
  EXPECT_TRUE(writeIniValue(path, "S", "x[;]", "1"));
  EXPECT_TRUE(writeIniValue(path, "a]" + kBracketChar, "k", "2"));
  EXPECT_EQ(readIniValue(path, "S", "x[;]"), "1");
  EXPECT_EQ(readIniValue(path, "a]" + kBracketChar, "k"), "2");
}

// Faults that permission bits cannot produce for root: a full disk, a read-only folder, a failed
// fsync or rename. Each leaves the old file as it was and no temporary file beside it.
TEST(IniFile, InjectedWriteFaultsFailCleanly) {
  using config::WriteStep;
  struct Case {
    const char* name;
    WriteStep step;
    int error;
  } cases[] = {
      {"read-only folder", WriteStep::CreateTemp, EROFS},
      {"no permission", WriteStep::CreateTemp, EACCES},
      {"full disk", WriteStep::Write, ENOSPC},
      {"failed fsync", WriteStep::Sync, EIO},
      {"failed rename", WriteStep::Rename, EXDEV},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder dir;
    const std::string path = dir.file("a.ini");
    const std::string other = dir.file("b.ini");
    ASSERT_TRUE(writeIniValue(path, "S", "k", "old"));
    std::vector<WriteStep> asked;
    config::setWriteFault([&](WriteStep step, const std::string& file) {
      if (file != path) return 0;
      asked.push_back(step);
      return step == c.step ? c.error : 0;
    });
    EXPECT_FALSE(writeIniValue(path, "S", "k", "new"));
    EXPECT_FALSE(writeIniValue(path, "T", "k", "new"));
    EXPECT_FALSE(config::writeWholeFile(path, "whole"));
    EXPECT_EQ(asked.back(), c.step);
    // Only the file the fault names is refused.
    EXPECT_TRUE(writeIniValue(other, "S", "k", "v"));
    config::setWriteFault({});

    EXPECT_EQ(fileBytes(path), "[S]\r\nk=old\r\n");
    const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()),
                                       std::filesystem::directory_iterator());
    EXPECT_EQ(entries, 2);  // a.ini and b.ini, no temporary file
    EXPECT_TRUE(writeIniValue(path, "S", "k", "new"));
    EXPECT_EQ(readIniValue(path, "S", "k"), "new");
  }
}

TEST(IniFile, KilledWriterNeverLeavesACutFile) {
  TempFolder dir;
  const std::string path = dir.file("a.ini");
  const std::string a(300000, 'a');
  const std::string b(300000, 'b');
  ASSERT_TRUE(writeIniValue(path, "S", "k", "old"));
  const std::set<std::string> complete = {"[S]\r\nk=old\r\n", "[S]\r\nk=" + a + "\r\n", "[S]\r\nk=" + b + "\r\n"};
  std::mt19937 random(20240305);
  for (int round = 0; round < 25; ++round) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (unsigned i = 0;; ++i) writeIniValue(path, "S", "k", i % 2 ? a : b);
    }
    ::usleep(random() % 30000);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    const std::string now = fileBytes(path);
    ASSERT_EQ(complete.count(now), 1u) << "round " << round << ": " << now.size() << " bytes";
  }
}

// Several edits as one transaction leave the bytes that the same edits, each written on its own,
// leave: keys rewritten in place (LF-only, CR-only and blank-padded lines), keys added after the
// last key of a first occurrence and after a last line without a line break, sections added and
// extended, names in other letter case. Reads inside the transaction see its own edits.
TEST(IniFile, TransactionLeavesTheBytesOfKeyByKeyWrites) {
  const std::string seeds[] = {
      "",
      "[S]",
      "; c\r\n[S]\r\n k = 1 \nj=2\r[T]\r\n\r\n[S]\r\nk=9\r\n[U]\r\nk=x",
      "k=0\r\n[s]\r\nK=1\r\n;end\r\n",
      gbk("[群]\r\n拉入QQ=#1\r\n[") + kBracketChar + "]\r\nk=v",
  };
  const std::string sections[] = {"S", "s", "T", "New", "NEW", gbk("群"), kBracketChar, "Z"};
  const std::string keys[] = {"k", "K", "j", "n", gbk("拉入QQ")};
  std::mt19937 random(20240305);
  for (const std::string& seed : seeds) {
    SCOPED_TRACE(seed);
    TempFolder dir;
    const std::string single = dir.file("single.ini"), together = dir.file("together.ini");
    for (int round = 0; round < 20; ++round) {
      if (!seed.empty()) {
        putBytes(single, seed);
        putBytes(together, seed);
      } else {
        std::filesystem::remove(single);
        std::filesystem::remove(together);
      }
      config::IniTransaction edit(together);
      for (int step = 0; step < 12; ++step) {
        const std::string& section = sections[random() % std::size(sections)];
        const std::string& key = keys[random() % std::size(keys)];
        const std::string value = random() % 4 ? std::to_string(random() % 100) : " padded ";
        ASSERT_TRUE(writeIniValue(single, section, key, value));
        ASSERT_TRUE(edit.write(section, key, value));
        const std::string& probeSection = sections[random() % std::size(sections)];
        const std::string& probeKey = keys[random() % std::size(keys)];
        ASSERT_EQ(edit.find(probeSection, probeKey), config::findIniValue(single, probeSection, probeKey));
      }
      ASSERT_TRUE(edit.commit());
      ASSERT_EQ(fileBytes(together), fileBytes(single)) << "round " << round;
    }
  }
}

// A replace from pieces writes them in order, empty ones and more than one system call takes.
TEST(IniFile, PiecesAreWrittenInOrder) {
  TempFolder dir;
  const std::string path = dir.file("pieces.ini");
  std::vector<std::string> texts;
  for (int i = 0; i < 3000; ++i) texts.push_back(i % 7 == 0 ? std::string() : std::to_string(i) + "\r\n");
  texts.push_back(std::string(1 << 20, 'x'));
  std::vector<std::string_view> pieces(texts.begin(), texts.end());
  std::string whole;
  for (const std::string& t : texts) whole += t;
  ASSERT_TRUE(config::writeFilePieces(path, pieces));
  EXPECT_EQ(fileBytes(path), whole);
  ASSERT_TRUE(config::writeFilePieces(path, {}));
  EXPECT_EQ(fileBytes(path), "");
}

TEST(IniFile, TransactionWritesOnceAndOnlyWhenTheBytesChange) {
  TempFolder dir;
  const std::string path = dir.file("a.ini");
  putBytes(path, "[S]\r\nk=1\r\n");
  int replaces = 0;
  config::setWriteFault([&](config::WriteStep step, const std::string&) {
    if (step == config::WriteStep::Rename) ++replaces;
    return 0;
  });
  {
    config::IniTransaction edit(path);
    edit.write("S", "k", "1");
    EXPECT_TRUE(edit.commit());
  }
  EXPECT_EQ(replaces, 0);
  {
    config::IniTransaction edit(path);
    for (int i = 0; i < 5; ++i) edit.write("S", "k" + std::to_string(i), std::to_string(i));
    EXPECT_EQ(edit.read("S", "k3"), "3");
    EXPECT_TRUE(edit.commit());
  }
  EXPECT_EQ(replaces, 1);
  config::setWriteFault({});
  EXPECT_EQ(fileBytes(path), "[S]\r\nk=1\r\nk0=0\r\nk1=1\r\nk2=2\r\nk3=3\r\nk4=4\r\n");

  // A file that cannot be read is not replaced.
  const std::string folder = dir.file("folder.ini");
  std::filesystem::create_directory(folder);
  config::IniTransaction edit(folder);
  EXPECT_FALSE(edit.write("S", "k", "v"));
  EXPECT_FALSE(edit.commit());
}

// Temporary files of writers killed half-way go when their folder is next written, once they are
// older than a minute; younger ones, other names and folders stay.
TEST(IniFile, StaleTemporaryFilesAreRemovedAtTheNextWrite) {
  TempFolder dir;
  const struct {
    const char* name;
    bool old, removed;
  } files[] = {
      {".a.ini.4242.7.tmp", true, true},
      {".\xbb\xfa\xc6\xf7.ini.1.0.tmp", true, true},
      {".a.ini.4242.8.tmp", false, false},  // a writer may still be at it
      {"a.ini.4242.7.tmp", true, false},    // not hidden: not ours
      {".a.ini.x.7.tmp", true, false},
      {".a.ini.4242.7.bak", true, false},
      {"..ini.1.2.tmp", true, true},  // the temporary file of ".ini"
  };
  const struct timespec twoMinutesAgo[2] = {{::time(nullptr) - 120, 0}, {::time(nullptr) - 120, 0}};
  for (const auto& f : files) {
    putBytes(dir.file(f.name), "partial");
    if (f.old) {
      ASSERT_EQ(::utimensat(AT_FDCWD, dir.file(f.name).c_str(), twoMinutesAgo, 0), 0);
    }
  }
  const std::string oldFolder = dir.file(".b.ini.1.2.tmp");
  std::filesystem::create_directory(oldFolder);
  ASSERT_EQ(::utimensat(AT_FDCWD, oldFolder.c_str(), twoMinutesAgo, 0), 0);

  ASSERT_TRUE(writeIniValue(dir.file("a.ini"), "S", "k", "v"));
  for (const auto& f : files) EXPECT_EQ(std::filesystem::exists(dir.file(f.name)), !f.removed) << f.name;
  EXPECT_TRUE(std::filesystem::is_directory(oldFolder));
  // Nothing of our own is left behind either.
  const auto entries = std::distance(std::filesystem::directory_iterator(dir.path()), {});
  EXPECT_EQ(entries, 1 + 4 + 1);  // a.ini, the four kept files, the folder
}
