// `irhost setup --vnc` on a machine without a desktop, checked from outside with a real VNC client:
// the server listens on loopback only and asks for the password it printed, a snapshot with that
// password shows the settings window, one without it shows nothing, and a signal to irhost takes
// the server and its private files with it.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
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

#include "irhost/irhost_files.h"  // generated: IRHOST_PROGRAM, PLUGIN_LIBRARY
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

// The security types a VNC server offers a 3.8 client before any password: 1 is none, 2 is the
// VNC password.
std::vector<int> offeredSecurityTypes(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::vector<int> types;
  timeval patience{10, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
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
    std::string pattern = (fs::temp_directory_path() / "irhost-vnc-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    fs::copy_file(IRHOST_PROGRAM, dir / "irhost");
    fs::permissions(dir / "irhost", fs::perms::owner_exec, fs::perm_options::add);
    fs::create_directory(dir / "plugin");
    fs::copy_file(PLUGIN_LIBRARY, dir / "plugin" / fs::path(PLUGIN_LIBRARY).filename());
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

  // Sends `signal` to irhost and expects it to end with its server and private files.
  void stopWith(int signal) {
    const fs::path privateFolder = fs::path(passwordFile).parent_path();
    ASSERT_EQ(::kill(host, signal), 0);
    int status = 0;
    ASSERT_TRUE(waitFor([&] { return ::waitpid(host, &status, WNOHANG) == host; }, std::chrono::seconds(30)));
    host = -1;
    EXPECT_TRUE(WIFEXITED(status)) << status;
    EXPECT_TRUE(waitFor([&] { return !fs::exists("/proc/" + std::to_string(server)); }, std::chrono::seconds(10)))
        << "Xvnc still runs";
    EXPECT_FALSE(fs::exists(privateFolder));
    EXPECT_TRUE(listeners(server).empty());
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

  // With the password: the window, 768 × 590, on the otherwise empty screen (taken again while
  // the window is still being shown).
  const fs::path picture = dir / "window.jpg";
  QImage image;
  QRect window;
  EXPECT_TRUE(waitFor(
      [&] {
        if (!snapshot(picture, right) || !image.load(QString::fromStdString(picture.string()))) return false;
        window = drawnArea(image);
        return std::abs(window.width() - 768) <= 2 && std::abs(window.height() - 590) <= 2;
      },
      std::chrono::seconds(90)))
      << "drawn area " << window.width() << "x" << window.height() << "; " << slurp(dir / "snap.log")
      << slurp(dir / "err.txt");
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

}  // namespace
