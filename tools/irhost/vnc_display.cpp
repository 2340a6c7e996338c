#include "vnc_display.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <netinet/in.h>
#include <arpa/inet.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "vnc_password.h"

namespace irhost {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// Creates the file with mode 0600; it must not exist yet (the folder is ours alone).
bool writePrivateFile(const std::string& path, const std::string& bytes, std::string& error) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return error = "cannot create " + path, false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<std::size_t>(n);
  }
  ::close(fd);
  if (done != bytes.size()) return error = "cannot write " + path, false;
  return true;
}

// An X authority file with one entry that holds for any address and display number of this
// machine: family "wild" (0xFFFF), empty address and number, the MIT-MAGIC-COOKIE-1 cookie.
std::string xAuthority(const std::string& cookie) {
  auto field = [](const std::string& s) {
    std::string out;
    out += static_cast<char>((s.size() >> 8) & 0xFF);
    out += static_cast<char>(s.size() & 0xFF);
    return out + s;
  };
  return std::string("\xFF\xFF", 2) + field("") + field("") + field("MIT-MAGIC-COOKIE-1") + field(cookie);
}

// A loopback port that nothing listens on at this moment.
int freeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  ::close(fd);
  return port;
}

std::string lastLines(const std::string& path, int count) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::string out;
  for (std::size_t i = lines.size() > std::size_t(count) ? lines.size() - count : 0; i < lines.size(); ++i)
    out += "\n  " + lines[i];
  return out;
}

// Waits for the line Xvnc writes on `fd` once it accepts connections: its display number. ""
// when it ends first or stays silent for `patience`.
std::string readDisplayNumber(int fd, std::chrono::seconds patience) {
  const auto deadline = Clock::now() + patience;
  std::string line;
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return "";
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return "";
    char buffer[32];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return "";
    line.append(buffer, static_cast<std::size_t>(n));
    const std::size_t end = line.find('\n');
    if (end != std::string::npos) {
      line.resize(end);
      return !line.empty() && line.find_first_not_of("0123456789") == std::string::npos ? line : "";
    }
  }
}

// Waits up to `patience` for the child to end; true when it has been reaped.
bool reap(pid_t pid, std::chrono::milliseconds patience) {
  const auto deadline = Clock::now() + patience;
  while (true) {
    const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
    if (r == pid || (r < 0 && errno == ECHILD)) return true;
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void endChild(pid_t pid) {
  ::kill(pid, SIGTERM);
  if (reap(pid, std::chrono::seconds(5))) return;
  ::kill(pid, SIGKILL);
  reap(pid, std::chrono::seconds(5));
}

sigset_t stopSignals() {
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  return set;
}

}  // namespace

std::string findProgram(const std::string& program) {
  const char* path = std::getenv("PATH");
  std::stringstream folders(path ? path : "/usr/local/bin:/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');) {
    if (folder.empty()) continue;
    const std::string candidate = folder + "/" + program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

std::shared_ptr<VncDisplay> VncDisplay::start(std::string& error) {
  const std::string xvnc = findProgram("Xvnc");
  if (xvnc.empty()) {
    error = "Xvnc is not installed (Debian package tigervnc-standalone-server)";
    return nullptr;
  }
  std::shared_ptr<VncDisplay> d(new VncDisplay);
  std::string pattern = (fs::temp_directory_path() / "irhost-vnc-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) {
    error = "cannot create a private folder in " + fs::temp_directory_path().string();
    return nullptr;
  }
  d->folder_ = pattern;  // from here on the destructor removes it
  const std::string passwordFile = d->folder_ + "/passwd";
  const std::string log = d->folder_ + "/Xvnc.log";
  d->cookieFile_ = d->folder_ + "/Xauthority";
  try {
    d->password_ = freshVncPassword();
    if (!writePrivateFile(passwordFile, vncPasswordFileBytes(d->password_), error) ||
        !writePrivateFile(d->cookieFile_, xAuthority(randomBytes(16)), error))
      return nullptr;
  } catch (const std::exception& e) {
    error = e.what();
    return nullptr;
  }

  // A port found free may be taken before Xvnc binds it; Xvnc then ends, and another port is tried.
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int port = freeLoopbackPort();
    if (port == 0) return error = "no free loopback port", nullptr;
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) return error = "cannot create a pipe", nullptr;
    const int logFd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    const int nullFd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    // -localhost makes Xvnc listen on the loopback addresses alone (it then ignores -interface,
    // which says the same for a server that would not know -localhost).
    std::vector<std::string> args = {xvnc, "-displayfd", std::to_string(ready[1]), "-rfbport", std::to_string(port),
                                     "-localhost", "-interface", "127.0.0.1", "-SecurityTypes", "VncAuth",
                                     "-PasswordFile", passwordFile, "-auth", d->cookieFile_, "-nolisten", "tcp",
                                     "-geometry", "1024x768", "-depth", "24", "-desktop", "irhost"};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid == 0) {
      // The server has a process group of its own, so that a Ctrl-C at the terminal reaches irhost
      // alone, which then stops the server in order; and it ends with irhost if irhost is killed.
      ::setpgid(0, 0);
      ::prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (::getppid() != parent) ::_exit(1);
      sigset_t none;
      sigemptyset(&none);
      ::sigprocmask(SIG_SETMASK, &none, nullptr);
      ::signal(SIGTERM, SIG_DFL);
      ::signal(SIGINT, SIG_DFL);
      ::dup2(nullFd, 0);
      ::dup2(logFd, 1);
      ::dup2(logFd, 2);
      ::fcntl(ready[1], F_SETFD, 0);
      ::execv(xvnc.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(ready[1]);
    ::close(logFd);
    ::close(nullFd);
    if (pid < 0) {
      ::close(ready[0]);
      return error = "cannot start Xvnc", nullptr;
    }
    const std::string number = readDisplayNumber(ready[0], std::chrono::seconds(20));
    ::close(ready[0]);
    if (!number.empty()) {
      std::lock_guard<std::mutex> lock(d->mutex_);
      d->pid_ = pid;
      d->port_ = port;
      d->display_ = ":" + number;
      return d;
    }
    endChild(pid);
  }
  error = "Xvnc did not start; its last words:" + lastLines(log, 8);
  return nullptr;
}

VncDisplay::~VncDisplay() { stop(); }

void VncDisplay::endWithProcess() {
  std::lock_guard<std::mutex> lock(mutex_);
  removeFolder();
  pid_ = -1;  // a later stop() (at exit) leaves the server to its parent-death signal
}

void VncDisplay::useForWindows() const {
  ::setenv("DISPLAY", display_.c_str(), 1);
  ::setenv("XAUTHORITY", cookieFile_.c_str(), 1);
  ::setenv("QT_QPA_PLATFORM", "xcb", 1);
  ::unsetenv("WAYLAND_DISPLAY");
}

void VncDisplay::stop() {
  std::lock_guard<std::mutex> lock(mutex_);
  removeFolder();
  if (pid_ > 0) endChild(pid_);
  pid_ = -1;
}

void VncDisplay::removeFolder() {
  if (folder_.empty()) return;
  std::error_code ec;
  fs::remove_all(folder_, ec);
  folder_.clear();
}

void holdStopSignals() {
  // A signal ignored when irhost was started (as a shell does for background jobs) would be
  // dropped rather than held: the default action is restored first.
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGTERM, SIG_DFL);
  const sigset_t set = stopSignals();
  ::pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

void stopOnSignal(std::shared_ptr<VncDisplay> display) {
  // An exit() stops the display too (the window's toolkit calls exit() when its X server goes
  // away for some reason of its own). Never destroyed, so that it is still there at exit.
  static auto* atExit = new std::shared_ptr<VncDisplay>();
  if (!*atExit) std::atexit([] { (*atExit)->stop(); });
  *atExit = display;
  // On a signal the server is not stopped and waited for here: the window's toolkit would see its
  // X server go and end the process by itself (exit, or abort while it is still connecting),
  // racing this thread. The secrets go first; the process then ends at once, and the kernel's
  // parent-death signal ends the server with it.
  std::thread([display] {
    const sigset_t set = stopSignals();
    int signal = 0;
    while (::sigwait(&set, &signal) != 0) {
    }
    display->endWithProcess();
    const char message[] = "irhost: stopped by a signal; the VNC server ends with it\n";
    [[maybe_unused]] ssize_t n = ::write(2, message, sizeof message - 1);
    ::_exit(128 + signal);
  }).detach();
}

}  // namespace irhost
