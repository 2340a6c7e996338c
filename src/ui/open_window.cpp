#include "ui/open_window.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QFont>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "hostapi/host_api.h"
#include "text/gbk.h"
#include "ui/settings_window.h"

namespace ui {

namespace {

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool unixSocketAnswers(const std::string& path, bool abstract) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (path.empty() || path.size() + offset >= sizeof(address.sun_path)) return false;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size());
  const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), length) == 0;
  ::close(fd);
  return ok;
}

// A local X display ":N" answers on its socket; a display on another host is taken on trust,
// since Qt's own connection attempt is the only test that would not duplicate it.
bool xDisplayAnswers(const std::string& display) {
  if (display.empty()) return false;
  const std::size_t colon = display.rfind(':');
  if (colon == std::string::npos) return false;
  const std::string host = display.substr(0, colon);
  if (!host.empty() && host != "unix") return true;
  std::string number = display.substr(colon + 1);
  number = number.substr(0, number.find('.'));
  const std::string socket = "/tmp/.X11-unix/X" + number;
  return unixSocketAnswers(socket, false) || unixSocketAnswers(socket, true);
}

bool waylandAnswers(const std::string& display) {
  if (display.empty()) return false;
  const std::string path = display[0] == '/' ? display : env("XDG_RUNTIME_DIR") + "/" + display;
  return unixSocketAnswers(path, false);
}

}  // namespace

bool displayAvailable() {
  if (QApplication::instance()) return true;
  if (!env("QT_QPA_PLATFORM").empty()) return true;
  return xDisplayAnswers(env("DISPLAY")) || waylandAnswers(env("WAYLAND_DISPLAY"));
}

void openSettingsWindow() {
  if (!displayAvailable()) {
    hostapi::hostApi().OutPutLog(text::gbk("朔禾引流插件：没有可显示窗口的桌面（DISPLAY、WAYLAND_DISPLAY 均不可用），设置窗口未打开。"));
    return;
  }
  std::unique_ptr<QApplication> ownApplication;
  if (!QApplication::instance()) {
    static int argc = 1;
    static char name[] = "irplugin";
    static char* argv[] = {name, nullptr};
    ownApplication = std::make_unique<QApplication>(argc, argv);
    QFont font(QStringLiteral("WenQuanYi Micro Hei"), 9);
    QApplication::setFont(font);
  }
  {
    SettingsWindow window;
    window.exec();
  }
}

}  // namespace ui
