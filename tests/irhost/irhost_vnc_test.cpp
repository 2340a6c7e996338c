// `irhost setup --vnc` on a machine without a desktop, checked from outside with a real VNC client:
// the server listens on loopback only and asks for the password it printed, a snapshot with that
// password shows the settings window, one without it shows nothing, and a signal to irhost takes
// the server and its private files with it.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#define OPENSSL_SUPPRESS_DEPRECATED  // single DES for the VNC password's answer
#include <openssl/des.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QImage>
#include <QRect>
#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <thread>
#include <vector>

#include "installation.h"
#include "irhost/vnc_password.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

bool onPath(const std::string& program) {
  std::stringstream folders(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
  for (std::string folder; std::getline(folders, folder, ':');)
    if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

// Polls `done` every 100 ms until it holds or `patience` has passed; a wait for readiness, not a
// measure of speed.
template <typename F>
bool waitFor(F done, std::chrono::seconds patience) {
  const auto deadline = Clock::now() + patience;
  while (!done()) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return true;
}

std::vector<std::string> splitWords(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// The listening TCP sockets of a process as "address:port" (addresses as /proc/net writes them:
// 0100007F is 127.0.0.1, 00000000000000000000000001000000 is ::1).
std::set<std::string> listeners(pid_t pid) {
  std::set<std::string> inodes;
  std::error_code ec;
  for (const auto& fd : fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec)) {
    const std::string target = fs::read_symlink(fd.path(), ec).string();
    if (target.rfind("socket:[", 0) == 0) inodes.insert(target.substr(8, target.size() - 9));
  }
  std::set<std::string> found;
  for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
    std::ifstream in(table);
    std::string line;
    std::getline(in, line);  // the heading
    while (std::getline(in, line)) {
      const std::vector<std::string> w = splitWords(line);
      // sl local rem st tx:rx tr:when retrnsmt uid timeout inode
      if (w.size() < 10 || w[3] != "0A" || !inodes.count(w[9])) continue;
      const std::size_t colon = w[1].find(':');
      found.insert(w[1].substr(0, colon) + ":" + std::to_string(std::stoi(w[1].substr(colon + 1), nullptr, 16)));
    }
  }
  return found;
}

// A connection to the loopback port whose reads give up after ten seconds; -1 when refused.
int connectToLoopback(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval patience{10, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) return fd;
  ::close(fd);
  return -1;
}

// The security types a VNC server offers a 3.8 client before any password: 1 is none, 2 is the
// VNC password.
std::vector<int> offeredSecurityTypes(int port) {
  const int fd = connectToLoopback(port);
  std::vector<int> types;
  if (fd >= 0) {
    char version[12];
    unsigned char count = 0;
    if (::recv(fd, version, sizeof version, MSG_WAITALL) == 12 && ::send(fd, "RFB 003.008\n", 12, 0) == 12 &&
        ::recv(fd, &count, 1, MSG_WAITALL) == 1) {
      std::vector<unsigned char> t(count);
      if (count && ::recv(fd, t.data(), count, MSG_WAITALL) == count) types.assign(t.begin(), t.end());
    }
  }
  ::close(fd);
  return types;
}

bool sendAll(int fd, const void* data, std::size_t size) {
  return ::send(fd, data, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
}

bool receiveAll(int fd, void* data, std::size_t size) {
  return ::recv(fd, data, size, MSG_WAITALL) == static_cast<ssize_t>(size);
}

// A VNC viewer's left click at `at`: the 3.8 handshake, the password's answer to the server's
// challenge (DES with the password as key, each byte's bits reversed), then the pointer moved,
// pressed and released.
bool clickThroughVnc(int port, const std::string& password, QPoint at) {
  const int fd = connectToLoopback(port);
  if (fd < 0) return false;
  bool ok = true;
  char version[12];
  unsigned char count = 0, types[16], challenge[16], response[16], result[4], init[24];
  ok = ok && receiveAll(fd, version, 12) && sendAll(fd, "RFB 003.008\n", 12) && receiveAll(fd, &count, 1) &&
       count > 0 && count <= 16 && receiveAll(fd, types, count);
  const unsigned char vncAuth = 2;
  ok = ok && sendAll(fd, &vncAuth, 1) && receiveAll(fd, challenge, 16);
  if (ok) {
    DES_cblock key = {0, 0, 0, 0, 0, 0, 0, 0};
    for (std::size_t i = 0; i < 8 && i < password.size(); ++i) {
      unsigned char b = static_cast<unsigned char>(password[i]), r = 0;
      for (int bit = 0; bit < 8; ++bit) r |= static_cast<unsigned char>(((b >> bit) & 1) << (7 - bit));
      key[i] = r;
    }
    DES_key_schedule schedule;
    DES_set_key_unchecked(&key, &schedule);
    for (int half = 0; half < 2; ++half)
      DES_ecb_encrypt(reinterpret_cast<DES_cblock*>(challenge + 8 * half),
                      reinterpret_cast<DES_cblock*>(response + 8 * half), &schedule, DES_ENCRYPT);
  }
  const unsigned char shared = 1;
  ok = ok && sendAll(fd, response, 16) && receiveAll(fd, result, 4) && std::memcmp(result, "\0\0\0\0", 4) == 0 &&
       sendAll(fd, &shared, 1) && receiveAll(fd, init, 24);
  if (ok) {
    std::string name(static_cast<std::size_t>(init[20]) << 24 | init[21] << 16 | init[22] << 8 | init[23], '\0');
    ok = receiveAll(fd, name.data(), name.size());
  }
  for (unsigned char buttons : {0, 1, 0}) {
    const unsigned char pointer[6] = {5, buttons, static_cast<unsigned char>(at.x() >> 8),
                                      static_cast<unsigned char>(at.x() & 0xFF), static_cast<unsigned char>(at.y() >> 8),
                                      static_cast<unsigned char>(at.y() & 0xFF)};
    ok = ok && sendAll(fd, pointer, sizeof pointer);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));  // one event after the other, as a hand does
  }
  ::close(fd);
  return ok;
}

// The smallest rectangle holding every pixel that differs clearly from the top left one (the
// empty screen around the window).
QRect drawnArea(const QImage& image) {
  const QColor background = image.pixelColor(0, 0);
  int left = image.width(), top = image.height(), right = -1, bottom = -1;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      const int d = std::abs(c.red() - background.red()) + std::abs(c.green() - background.green()) +
                    std::abs(c.blue() - background.blue());
      if (d <= 60) continue;
      left = std::min(left, x), right = std::max(right, x), top = std::min(top, y), bottom = std::max(bottom, y);
    }
  return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

class IrhostVncTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!onPath("Xvnc")) GTEST_SKIP() << "Xvnc is not installed (tigervnc-standalone-server)";
    dir = irhost_test::newInstallation("irhost-vnc-test-");
    ASSERT_FALSE(dir.empty());
    irhost_test::installPlugin(dir);
    // Every web service the window asks (nicknames, avatars) is a loopback stand-in.
    std::ofstream(dir / "s.session", std::ios::binary)
        << "robot\t10000\n"
           "standins\n"
           "nick\t10000\t小助手\n"
           "groups\t{\"auth\":0,\"flag\":0,\"groupid\":20002,\"groupname\":\"测试群\"}\n"
           "config\t核心配置.ini\t服务地址\t昵称服务\t${PORTRAIT}\n"
           "config\t核心配置.ini\t服务地址\t头像服务\t${AVATAR}\n";
  }

  void TearDown() override {
    if (host > 0) {
      ::kill(host, SIGKILL);  // its server follows it
      ::waitpid(host, nullptr, 0);
    }
    if (!dir.empty()) fs::remove_all(dir);
  }

  // Starts `irhost setup --vnc s.session` without a desktop and waits for the lines that say
  // how to reach the server; fills port, password and server (Xvnc's process id).
  void startIrhost() {
    host = ::fork();
    if (host == 0) {
      if (::chdir(dir.c_str()) != 0) ::_exit(120);
      ::unsetenv("DISPLAY");
      ::unsetenv("WAYLAND_DISPLAY");
      ::unsetenv("QT_QPA_PLATFORM");
      if (!std::freopen("out.txt", "w", stdout) || !std::freopen("err.txt", "w", stderr)) ::_exit(121);
      ::execl("./irhost", "irhost", "setup", "--vnc", "s.session", static_cast<char*>(nullptr));
      ::_exit(122);
    }
    ASSERT_GT(host, 0);
    const std::regex reached(R"(VNC server 127\.0\.0\.1:(\d+) \(X display :\d+\), password (\S+)\n)");
    std::smatch m;
    ASSERT_TRUE(waitFor(
        [&] {
          out = slurp(dir / "out.txt");
          return std::regex_search(out, m, reached);
        },
        std::chrono::seconds(60)))
        << out << slurp(dir / "err.txt");
    port = std::stoi(m[1]);
    password = m[2];
    EXPECT_NE(out.find("ssh -L 5901:127.0.0.1:" + std::to_string(port) + " user@server"), std::string::npos) << out;
    EXPECT_NE(out.find("localhost:5901"), std::string::npos) << out;
    for (const auto& p : fs::directory_iterator("/proc")) {
      std::ifstream stat(p.path() / "stat");
      std::string line;
      if (!std::getline(stat, line)) continue;
      const std::vector<std::string> w = splitWords(line.substr(line.rfind(')') + 1));  // state ppid ...
      if (w.size() > 1 && std::stoi(w[1]) == host) server = std::stoi(p.path().filename().string());
    }
    ASSERT_GT(server, 0) << "no Xvnc under irhost";
    std::string cmdline = slurp("/proc/" + std::to_string(server) + "/cmdline");
    std::replace(cmdline.begin(), cmdline.end(), '\0', ' ');
    const std::vector<std::string> args = splitWords(cmdline);
    for (std::size_t i = 0; i + 1 < args.size(); ++i)
      if (args[i] == "-PasswordFile") passwordFile = args[i + 1];
    ASSERT_FALSE(passwordFile.empty()) << cmdline;
  }

  // vncsnapshot of the whole screen into `file` with the password file `secret` (none: no
  // password, and no terminal to ask one at). True when it wrote the picture.
  bool snapshot(const fs::path& file, const fs::path& secret) {
    fs::remove(file);
    std::string command = "cd '" + dir.string() + "' && timeout 30 setsid -w vncsnapshot -quiet -nocursor -encodings raw " +
                          (secret.empty() ? "" : "-passwd '" + secret.string() + "' ") + "127.0.0.1::" +
                          std::to_string(port) + " '" + file.string() + "' </dev/null >>snap.log 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 && fs::exists(file) && fs::file_size(file) > 0;
  }

  // Where the settings window, 768 × 590, lies on the screen, seen through vncsnapshot with the
  // password file `secret` (taken again while the window is still being shown); an empty rectangle
  // when it does not show. `image` is the last snapshot.
  QRect windowOnScreen(const fs::path& secret, QImage& image) {
    const fs::path picture = dir / "window.jpg";
    QRect window;
    const bool shown = waitFor(
        [&] {
          if (!snapshot(picture, secret) || !image.load(QString::fromStdString(picture.string()))) return false;
          window = drawnArea(image);
          return std::abs(window.width() - 768) <= 2 && std::abs(window.height() - 590) <= 2;
        },
        std::chrono::seconds(90));
    EXPECT_TRUE(shown) << "drawn area " << window.width() << "x" << window.height() << "; "
                       << slurp(dir / "snap.log") << slurp(dir / "err.txt");
    return shown ? window : QRect();
  }

  // Expects irhost, its server and the server's private files to be gone (or going) within a
  // while; `status` is irhost's wait status.
  void expectAllGone(int status) {
    EXPECT_TRUE(WIFEXITED(status)) << status;
    EXPECT_TRUE(waitFor([&] { return !fs::exists("/proc/" + std::to_string(server)); }, std::chrono::seconds(10)))
        << "Xvnc still runs";
    EXPECT_FALSE(fs::exists(fs::path(passwordFile).parent_path()));
    EXPECT_TRUE(listeners(server).empty());
  }

  // Sends `signal` to irhost and expects it to end with its server and private files.
  void stopWith(int signal) {
    ASSERT_EQ(::kill(host, signal), 0);
    int status = 0;
    ASSERT_TRUE(waitFor([&] { return ::waitpid(host, &status, WNOHANG) == host; }, std::chrono::seconds(30)));
    host = -1;
    EXPECT_EQ(WEXITSTATUS(status), 128 + signal);
    EXPECT_NE(slurp(dir / "err.txt").find("irhost: stopped by a signal; the VNC server ends with it\n"), std::string::npos);
    expectAllGone(status);
  }

  fs::path dir;
  pid_t host = -1, server = -1;  // irhost and its Xvnc
  int port = 0;
  std::string out, password, passwordFile;
};

TEST_F(IrhostVncTest, WindowServedOnLoopbackWithThePasswordAndGoneAfterSigterm) {
  startIrhost();
  if (HasFatalFailure()) return;

  // Only loopback listeners, and only the VNC port: the X display takes no TCP connections.
  const std::set<std::string> listening = listeners(server);
  ASSERT_FALSE(listening.empty());
  for (const std::string& l : listening) {
    const std::string address = l.substr(0, l.find(':'));
    EXPECT_TRUE(address == "0100007F" || address == "00000000000000000000000001000000") << l;
    EXPECT_EQ(l.substr(l.find(':') + 1), std::to_string(port)) << l;
  }
  // The VNC password is the only way in.
  EXPECT_EQ(offeredSecurityTypes(port), std::vector<int>{2});
  // The secrets are the user's alone.
  struct stat st{};
  ASSERT_EQ(::stat(passwordFile.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(fs::path(passwordFile).parent_path().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(password.size(), 8u);

  const fs::path right = dir / "right.passwd", wrong = dir / "wrong.passwd";
  std::ofstream(right, std::ios::binary) << irhost::vncPasswordFileBytes(password);
  std::ofstream(wrong, std::ios::binary) << irhost::vncPasswordFileBytes(password == "aaaaaaaa" ? "bbbbbbbb" : "aaaaaaaa");

  // With the password: the window on the otherwise empty screen.
  QImage image;
  EXPECT_TRUE(windowOnScreen(right, image).isValid());
  fs::create_directories(IR_SCREENSHOT_DIR);
  image.save(QString::fromStdString((fs::path(IR_SCREENSHOT_DIR) / "vnc-window.png").string()));

  // Without it: nothing.
  EXPECT_FALSE(snapshot(dir / "wrong.jpg", wrong));
  EXPECT_FALSE(fs::exists(dir / "wrong.jpg"));
  EXPECT_FALSE(snapshot(dir / "none.jpg", ""));
  EXPECT_FALSE(fs::exists(dir / "none.jpg"));

  stopWith(SIGTERM);
}

TEST_F(IrhostVncTest, CtrlCStopsTheServer) {
  startIrhost();
  if (HasFatalFailure()) return;
  stopWith(SIGINT);
}

TEST_F(IrhostVncTest, ClosingTheWindowFromAViewerEndsIrhostAndTheServer) {
  startIrhost();
  if (HasFatalFailure()) return;
  const fs::path secret = dir / "right.passwd";
  std::ofstream(secret, std::ios::binary) << irhost::vncPasswordFileBytes(password);
  QImage image;
  const QRect window = windowOnScreen(secret, image);
  ASSERT_TRUE(window.isValid());

  // The close button, 40 × 40 at the window's top right corner, clicked as a VNC viewer does.
  ASSERT_TRUE(clickThroughVnc(port, password, window.topLeft() + QPoint(748, 20)));
  int status = 0;
  ASSERT_TRUE(waitFor([&] { return ::waitpid(host, &status, WNOHANG) == host; }, std::chrono::seconds(30)))
      << slurp(dir / "out.txt");
  host = -1;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  out = slurp(dir / "out.txt");
  EXPECT_NE(out.find("settings closed\n"), std::string::npos) << out;
  EXPECT_NE(out.find("irhost: the VNC server is stopped\n"), std::string::npos) << out;
  expectAllGone(status);
}

}  // namespace
