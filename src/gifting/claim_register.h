// DailyClaimRegister: who claimed the daily likes on which day, "每日领取.ini" in a profile folder.
//
// Each day that saw a claim is a section named by its date text; each member who claimed that day
// is a key (the QQ number) with the value "1". The test and the write of a claim run under the
// lock of the register's folder, so two copies of one command reward the member once. The lock is
// released before any order is placed.
#pragma once

#include <string>

namespace gifting {

class DailyClaimRegister {
 public:
  // `folder`: "默认配置" (one register for every group) or a group number.
  explicit DailyClaimRegister(std::string folder);

  // Records today's claim of `qq` when none is recorded yet. True when this call recorded it
  // (a register that cannot be written still answers true: the member may claim again later);
  // false when the member had claimed today already.
  bool claimToday(const std::string& qq) const;

  bool claimedToday(const std::string& qq) const;

  const std::string& path() const { return path_; }

 private:
  std::string folder_;
  std::string path_;
};

}  // namespace gifting
