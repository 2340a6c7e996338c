// IniTransaction: several key edits to one INI file written as one atomic replace.
//
// The file is read once when the transaction opens; reads answer from it with the edits made so
// far; commit writes the result once (one temporary file, one fsync, one rename). The bytes are
// exactly what the same writeIniValue calls, one after the other, would have left, so records
// files keep their form; nothing is written when the edits leave the bytes as they were. Reading
// finds a member's section by jumping between the lines that start with '[', so a file of a
// hundred thousand sections costs a few milliseconds, not one parse per key.
//
// The transaction does not lock: a read-modify-write of records holds the folder's FolderLock
// from opening to commit. A file that exists but cannot be read is never replaced: its reads give
// the fallback and commit fails. Not for concurrent use by several threads.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/ini_file.h"

namespace config {

class IniTransaction {
 public:
  explicit IniTransaction(std::string path);
  ~IniTransaction();
  IniTransaction(const IniTransaction&) = delete;
  IniTransaction& operator=(const IniTransaction&) = delete;

  // As findIniValue and readIniValue, over the file with this transaction's edits.
  std::optional<std::string> find(std::string_view section, std::string_view key) const;
  std::string read(std::string_view section, std::string_view key, std::string_view fallback = {}) const;

  // As writeIniValue, applied in memory; false when the names are refused or the file could not
  // be read (the commit would then fail).
  bool write(std::string_view section, std::string_view key, std::string_view value);

  // Writes the edited file; false when it could not be written (the old file is then unchanged
  // and the edits are lost). True without writing when the bytes did not change.
  bool commit(Sync sync = Sync::Durable);

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace config
