// VncDisplay: a private X display for showing windows on a machine without a desktop, served by
// TigerVNC's Xvnc and reached through an SSH tunnel. The VNC listener is on loopback only
// (127.0.0.1 and ::1), never on every interface, and asks for a fresh password; the X display
// itself asks for a fresh cookie, so other users of the machine reach neither. The password file,
// the cookie file and the server's log live in a private folder (mode 0700, files 0600) that
// goes with the server.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>

namespace irhost {

class VncDisplay {
 public:
  // Starts Xvnc on a free display number and a free loopback port and waits until it accepts
  // connections. nullptr with the reason in `error` when Xvnc is missing or does not start.
  // Call it while the process has a single thread (it forks).
  static std::shared_ptr<VncDisplay> start(std::string& error);

  ~VncDisplay();  // stop()
  VncDisplay(const VncDisplay&) = delete;
  VncDisplay& operator=(const VncDisplay&) = delete;

  const std::string& display() const { return display_; }  // ":3"
  int port() const { return port_; }                          // the VNC port on loopback
  const std::string& password() const { return password_; }
  const std::string& cookieFile() const { return cookieFile_; }  // for XAUTHORITY
  pid_t serverPid() const { return pid_; }

  // Points this process's windows at the display: DISPLAY, XAUTHORITY, and Qt's X11 platform.
  void useForWindows() const;

  // Removes the private folder, ends Xvnc (SIGTERM, SIGKILL after five seconds) and waits for it.
  // Safe to call again and from any thread.
  void stop();

  // Removes the private folder and leaves Xvnc to end with this process: it was started with the
  // parent-death signal SIGTERM, so it ends when the process does (or is killed).
  void endWithProcess();

 private:
  VncDisplay() = default;
  void removeFolder();  // with mutex_ held

  std::mutex mutex_;
  std::string folder_, display_, password_, cookieFile_;
  int port_ = 0;
  pid_t pid_ = -1;
};

// From now on SIGINT and SIGTERM are held back in the calling thread and in every thread it starts
// later (call it before any other thread exists); stopOnSignal then takes them.
void holdStopSignals();

// Starts a thread that waits for SIGINT or SIGTERM, then removes the display's private files and
// ends the process with status 128 + the signal's number, Xvnc with it. What the process was doing
// is cut short: the plug-ins have written every change as it happened. An exit() of the process
// stops the display as well.
void stopOnSignal(std::shared_ptr<VncDisplay> display);

// The full path of `program` found on PATH, or "" when there is none.
std::string findProgram(const std::string& program);

}  // namespace irhost
