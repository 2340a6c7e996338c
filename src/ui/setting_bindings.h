// The settings window's binding table: which control shows and stores which setting.
//
// One row per control that loads or stores a setting, in the order the window fills them. Loading
// a profile is one pass over the rows; the immediate saves are one connection per row; the
// community save button writes the rows of the chosen community type. A row says what the control
// shows when its key is missing, separately for the default profile and for a group's profile.
#pragma once

#include <span>

#include "config/settings_schema.h"

namespace ui {

enum class BindingKind {
  Text,       // the box's text, stored as it is
  Lines,      // a multi-line box: "[换行]" in the file, line breaks in the box
  Check,      // "真" when checked, "假" when not; shown checked for any stored text but "假"
  Radio,      // stores its fixed value; shown selected when the stored value equals it
  RadioElse,  // stores its fixed value; shown selected when no other radio of its key matches
  Community,  // the community type chooser: "0", "1", "2" pick an item and page; stored by the button
};

enum class AbsentShows {
  Empty,      // the control is emptied
  Unchanged,  // the control keeps what it showed
  Unchecked,  // a check box shows unchecked
  Fallback,   // the control shows the row's fallback value
  Untouched,  // the row is not loaded at all for this kind of profile, even when the key is there
};

struct Binding {
  const char* control;  // objectName (UTF-8)
  config::SettingId setting;
  BindingKind kind;
  AbsentShows absentDefault;
  AbsentShows absentGroup;
  const char* fallback = "";  // what an absent key shows under AbsentShows::Fallback (UTF-8)
  const char* value = "";     // Radio, RadioElse: the value the button stores
  char community = 0;      // '0', '1', '2': loaded only for that community type, stored by "保存全局"
  bool openingOnly = false;  // filled when the window opens, not by a profile load
  bool displayOnly = false;  // loaded, never stored
};

std::span<const Binding> settingBindings();

// True when the row stores on every change of its control (not a community field, not the chooser).
inline bool savesImmediately(const Binding& b) {
  return b.community == 0 && b.kind != BindingKind::Community && !b.displayOnly;
}

}  // namespace ui
