// openSettingsWindow: what IR_SetUp does. Shows the settings window modally on the calling thread
// and returns when it is closed, creating the QApplication when the process has none (and
// removing it again afterwards). Without a display to show it on (no QT_QPA_PLATFORM, no
// reachable X display named by DISPLAY, no Wayland socket named by WAYLAND_DISPLAY) it writes one
// line to the host's log and returns.
#pragma once

namespace ui {

void openSettingsWindow();

// True when a window can be shown: a QApplication exists or a platform is reachable.
bool displayAvailable();

}  // namespace ui
