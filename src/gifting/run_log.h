// RunLog: the order log shown in the settings window, five views held in memory only.
//
// View 0 takes every order, 1 the successful ones, 2 the failed ones; 3 and 4 exist but nothing
// writes them. Each append puts the time text, two blanks and the line on top of the view, ending
// in CR LF, so the newest line comes first. A view keeps at most 1 MiB: the oldest whole lines are
// dropped beyond that (the newest line is always kept). Safe to call from any thread.
#pragma once

#include <functional>
#include <string>

namespace gifting {

inline constexpr int kRunLogViews = 5;
inline constexpr std::size_t kRunLogViewCapacity = 1024 * 1024;

// A view outside 0..4 is ignored.
void appendRunLog(int view, const std::string& line);

// The whole text of a view ("" for a view outside 0..4).
std::string viewText(int view);

// Called after each append with the view that changed, on the appending thread and outside the
// log's lock; read the text with viewText. An empty function removes the listener.
void setRunLogListener(std::function<void(int view)> listener);

// Empties every view (the state of a freshly loaded plug-in).
void clearRunLog();

}  // namespace gifting
