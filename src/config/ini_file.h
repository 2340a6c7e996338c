// INI files with the observable behaviour of the Windows private-profile functions, in GBK.
//
// Reading: section and key names compare ignoring ASCII letter case (a GBK trail byte is never
// folded); blanks around names, '=' and the value are ignored; lines starting with ';' are
// comments; a line without '=' is no key; the first of two equal sections or keys wins; CR LF,
// CR-only and LF-only lines, a missing final line break, NUL bytes and very long lines are read
// without harm. A value comes back as stored: outer quotes are not stripped, because our writer
// never adds any, so "a" written reads back as "a" with its quotes. A value holding a NUL byte
// reads up to the NUL, the text a C caller receives; a fallback loses its trailing blanks ("fb  "
// reads "fb"). A value (or the fallback) is cut to 10,239 bytes, one byte less when the cut would
// split a two-byte character. A missing file, section or key gives the fallback. Lines before the
// first section header belong to no section. Reads of small files reuse the bytes of an earlier
// read only while the file is provably unchanged (ini_cache.h), so every write, by this process
// or another, is seen by the next read.
//
// Writing: an existing key is rewritten in place and keeps its spelling; a missing key goes after
// the last key of its section; a missing section goes at the end; a missing file is created as
// "[S]\r\nk=v\r\n"; a missing folder is never created and makes the write fail. Lines end in CR LF.
// Each CR or LF inside a value (or a name) is stored as a blank, so a value can never add lines.
// Every other line of an existing file keeps its bytes, line ending included. The file is
// replaced atomically (a temporary file in the same folder, then rename), so a crash never leaves
// a cut file; it keeps the old file's permission bits. Temporary files of our naming left more than
// a minute ago by a writer that was killed are removed when their folder is next written. A file that exists but cannot be read or
// written is left alone and the write fails. A name the format cannot hold is refused and the
// write fails: a key holding '=' or starting with ';' or '[', a section ending in the first byte
// of a two-byte character (it would swallow the closing ']'); written anyway, such a line would
// read as another key or section. Paths are UTF-8; names and values are GBK.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace config {

inline constexpr std::size_t kMaxValueBytes = 10239;

std::string readIniValue(const std::string& path, std::string_view section, std::string_view key,
                         std::string_view fallback = {});

// The stored value (cut as above), or nullopt when the file, section or key is absent; this is
// how the core switch tells an absent key from any stored text.
std::optional<std::string> findIniValue(const std::string& path, std::string_view section, std::string_view key);

// Every section of the file in file order with its keys and values, as the reader finds them: of
// two sections or keys of one name only the first, values as a read gives them. For the read-only
// views that show a whole file at once; empty for a missing or unreadable file.
struct IniSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> keys;
};
std::vector<IniSection> readIniSections(const std::string& path);

// How a replace reaches the disk. Durable: the new bytes are synced before the rename, so after a
// power loss the file holds the old or the new bytes. Unsynced: for the saves that follow each
// keystroke of the settings window; the rename is as atomic for every reader, but a power loss
// may bring back the file as it was a few seconds earlier (never a cut file: ext4 flushes a file
// renamed over another before committing the rename; a new file is always synced). Events keep
// Durable.
enum class Sync { Durable, Unsynced };

// Returns false when the file could not be written; the old file is then unchanged. Each caller
// decides what a failed write means for it. Several keys of one file: IniTransaction
// (ini_transaction.h), one replace for all of them.
bool writeIniValue(const std::string& path, std::string_view section, std::string_view key,
                   std::string_view value, Sync sync = Sync::Durable);

// Whole-file helpers for the few files that are not INI (the card template) and for tests.
bool fileExists(const std::string& path);
std::string readWholeFile(const std::string& path);          // "" when missing
bool writeWholeFile(const std::string& path, std::string_view bytes, Sync sync = Sync::Durable);  // atomic replace
// The same replace with the new bytes given as pieces, written one after the other as they lie
// (the unchanged stretches of an old file and its edited lines): no whole copy is assembled.
bool writeFilePieces(const std::string& path, std::span<const std::string_view> pieces, Sync sync = Sync::Durable);

// Creates one folder level; an existing folder is fine. Returns false on failure.
bool makeFolder(const std::string& path);

// File faults for tests, where permission bits cannot produce them (a test running as root). The
// installed function is asked before each step of replacing a file (`path` is the file being
// replaced); a step for which it answers an errno value (ENOSPC, EROFS, EIO...) fails as if the
// system had refused it: the write fails, leaves no temporary file and the old file unchanged.
// 0 lets the step run. Process-wide; an empty function removes it.
enum class WriteStep { CreateTemp, Write, Sync, Rename };
void setWriteFault(std::function<int(WriteStep step, const std::string& path)> fault);

}  // namespace config
