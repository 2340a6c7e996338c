// GiftLedger: the totals of likes ordered successfully, in "名片赞数量.ini" directly in PluginDir.
//
// Section 全部名片赞 key 名片赞 holds the all-time total; section 每日名片赞 holds one key per day
// (the day's date text). A missing, empty or non-numeric value counts as 0. Each read-add-write
// runs under the lock of PluginDir, so concurrent successes lose no increment.
#pragma once

#include <string>

namespace gifting {

// Adds the numeric value of `amount` (a non-number adds 0) to the total and to today's key.
// When the file cannot be written, one line naming it goes to the host's log and the result is
// false; the order it counts stays as it was (a success remains a success). The total and the
// day's key are written in one replace of the file, so they never disagree by a failed write.
bool recordGift(const std::string& amount);

}  // namespace gifting
