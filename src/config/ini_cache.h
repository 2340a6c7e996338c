// The read cache of the INI layer: the bytes of recently read files, reused only while the file
// is provably the one that was read. Every read still looks at the file (one stat), so a change
// made by anyone, this process or another, in place or by replacing the file, is seen by the next
// read.
//
// When a copy may be reused: the file's device, inode, size, modification time and change time
// are those of the copy, and the copy was read after the file's last stamp had aged past the file
// system's clock step. The age matters because a stamp is only as fine as that step: a write in
// the same step as an earlier one leaves the stamps unchanged, so a copy of a file written in the
// last step could hide the next write. The kernel stamps files from a coarse clock (one tick, at
// most 10 ms, behind the precise one), and a stamp is a multiple of its file system's step, so the
// step is bounded by the largest power of ten that divides the stamp's nanoseconds; a stamp
// without nanoseconds may come from a file system that counts whole seconds or two (FAT), and is
// given two seconds. A copy is trusted when it was read later than stamp + step + 20 ms; a younger
// file is read afresh each time until it is old enough. The change time cannot be set back by any
// tool (unlike the modification time, which `touch -d` or an archive program can restore), so an
// edit in place that keeps the size and restores the modification time is still seen. A clock set
// back by hours could in principle give a new write the very stamp of an old one; that is the one
// case the rule does not cover.
//
// Only files up to 1 MiB are kept (profiles and the core file); larger ones are read every time.
#pragma once

#include <memory>
#include <string>

#include "config/ini_text.h"

namespace config::ini {

// The file's bytes, from the cache when its copy is still the file, else read afresh (and kept
// when the rule allows). `status` as readFileBytes.
std::shared_ptr<const std::string> cachedFileBytes(const std::string& path, ReadStatus& status);

// Drops the copy of a file this process just replaced (it would no longer match anyway).
void forgetFile(const std::string& path);

}  // namespace config::ini
