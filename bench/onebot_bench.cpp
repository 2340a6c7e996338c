// irhost serve as a program (pacing off, --quiet) with the real plug-in, driven by the OneBot
// implementation stand-in over loopback: quiet group messages absorbed per second, a keyword
// reply's time from the event sent to the send_group_msg action received, and the same round trip
// against a bare WebSocket answerer as the floor. Round trips report their median and p99.
#include <benchmark/benchmark.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

// Boost 1.74's asio uses std::exchange without including <utility> itself (an error in C++20).
#include <utility>

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/websocket.hpp>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <mutex>
#include <regex>
#include <sstream>
#include <thread>

#include "bench/onebot_files.h"  // generated: IRHOST_PROGRAM, PLUGIN_LIBRARY
#include "stubs/onebot_standin.h"

namespace {

namespace fs = std::filesystem;
namespace net = boost::asio;
namespace beast = boost::beast;
using tcp = net::ip::tcp;
using nlohmann::json;
using stubs::OneBotStandin;
using namespace std::chrono_literals;

constexpr int kGroups = 8;          // groups 20002 … 20009, each with the keyword
constexpr long long kFirstGroup = 20002;

std::string slurp(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

json text(const std::string& t) { return json::array({{{"type", "text"}, {"data", {{"text", t}}}}}); }

std::string keywordFrame(long long group, long long user, long long id) {
  return OneBotStandin::groupMessage("10001", group, user, id, text("请问群规是什么？")).dump();
}

// `irhost serve` in a directory of its own with the plug-in and its settings.
class Serve {
 public:
  bool start() {
    std::string pattern = (fs::temp_directory_path() / "irhost-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data())) return false;
    dir_ = pattern;
    fs::copy_file(IRHOST_PROGRAM, dir_ / "irhost");
    fs::permissions(dir_ / "irhost", fs::perms::owner_exec, fs::perm_options::add);
    fs::create_directory(dir_ / "plugin");
    fs::copy_file(PLUGIN_LIBRARY, dir_ / "plugin" / fs::path(PLUGIN_LIBRARY).filename());
    // The keyword in every group's own profile; everything else as a fresh install has it.
    {
      std::ofstream s(dir_ / "setup.session", std::ios::binary);
      s << "config\t核心配置.ini\t软件参数\t是否所有群使用默认配置\t假\n";
      for (int g = 0; g < kGroups; ++g)
        s << "config\t" << kFirstGroup + g << "/机器人参数.ini\t关键词回复\t词库\t群规---一、文明聊天\n";
    }
    const std::string cmd = "cd '" + dir_.string() + "' && ./irhost run setup.session >setup.txt 2>&1";
    if (std::system(cmd.c_str()) != 0) {
      std::cerr << slurp(dir_ / "setup.txt");
      return false;
    }
    pid_ = fork();
    if (pid_ == 0) {
      if (chdir(dir_.c_str()) != 0) _exit(127);
      if (!std::freopen("out.txt", "w", stdout) || !std::freopen("err.txt", "w", stderr)) _exit(127);
      unsetenv("IRHOST_ONEBOT_TOKEN");
      execl("./irhost", "./irhost", "serve", "--listen", "127.0.0.1:0", "--pace", "0", "--quiet", nullptr);
      _exit(127);
    }
    static const std::regex banner(R"(listening on ws://127\.0\.0\.1:(\d+)/)");
    for (int i = 0; i < 200; ++i) {
      std::smatch m;
      const std::string o = slurp(dir_ / "out.txt");
      if (std::regex_search(o, m, banner) && o.find("plug-ins:") != std::string::npos) {
        port_ = static_cast<std::uint16_t>(std::stoi(m[1]));
        return true;
      }
      std::this_thread::sleep_for(50ms);
    }
    std::cerr << slurp(dir_ / "out.txt") << slurp(dir_ / "err.txt");
    return false;
  }

  ~Serve() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      int status = 0;
      for (int i = 0; i < 300 && waitpid(pid_, &status, WNOHANG) == 0; ++i) std::this_thread::sleep_for(50ms);
      if (waitpid(pid_, &status, WNOHANG) == 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, &status, 0);
      }
    }
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  std::uint16_t port() const { return port_; }

  // Processor time the serve process has used so far (user and system), in seconds.
  double cpuSeconds() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::istringstream rest(all.substr(all.rfind(')') + 2));  // after the command name
    std::string field;
    double ticks = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i)
      if (i >= 14) ticks += std::stod(field);  // utime, stime
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
  }

  // Resident memory of the serve process, in MiB.
  double residentMiB() const {
    std::ifstream in("/proc/" + std::to_string(pid_) + "/status");
    std::string line;
    while (std::getline(in, line))
      if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    return 0;
  }

 private:
  fs::path dir_;
  pid_t pid_ = 0;
  std::uint16_t port_ = 0;
};

Serve* serve = nullptr;

// The floor: a bare WebSocket server that answers each group message with a fixed action frame,
// without parsing either; the stand-in connects to it as it does to the bridge.
class Answerer {
 public:
  Answerer() : acceptor_(ioc_, tcp::endpoint(net::ip::make_address("127.0.0.1"), 0)) {
    thread_ = std::thread([this] { run(); });
  }
  ~Answerer() {
    {
      std::lock_guard lock(mutex_);
      if (fd_ >= 0) ::shutdown(fd_, SHUT_RDWR);  // ends the blocking read: the stand-in may leave its end open
    }
    thread_.join();
  }
  std::uint16_t port() const { return acceptor_.local_endpoint().port(); }

 private:
  void run() {
    beast::error_code ec;
    tcp::socket socket(ioc_);
    acceptor_.accept(socket, ec);
    if (ec) return;
    socket.set_option(tcp::no_delay(true), ec);
    beast::websocket::stream<tcp::socket> ws(std::move(socket));
    {
      std::lock_guard lock(mutex_);
      fd_ = ws.next_layer().native_handle();
    }
    struct Forget {  // before the socket closes, so that its number is never shut down once reused
      Answerer* self;
      ~Forget() {
        std::lock_guard lock(self->mutex_);
        self->fd_ = -1;
      }
    } forget{this};
    ws.accept(ec);
    if (ec) return;
    ws.text(true);
    const std::string action =
        R"({"action":"send_group_msg","echo":"1","params":{"group_id":20002,"message":[{"type":"text","data":{"text":"ok"}}]}})";
    beast::flat_buffer buffer;
    for (;;) {
      ws.read(buffer, ec);
      if (ec) return;
      const bool message = beast::buffers_to_string(buffer.data()).find(R"("post_type":"message")") != std::string::npos;
      buffer.consume(buffer.size());
      if (message) ws.write(net::buffer(action), ec);
      if (ec) return;
    }
  }

  net::io_context ioc_;
  tcp::acceptor acceptor_;
  std::mutex mutex_;
  int fd_ = -1;
  std::thread thread_;
};

// Sends one frame per iteration and waits for the one action it brings; each round trip is the
// iteration's time, and the median and 99th percentile of them are reported in microseconds.
void roundTrips(benchmark::State& state, OneBotStandin& s, const std::function<std::string(long long)>& frame) {
  std::size_t seen = s.actions().size();
  std::vector<double> samples;
  long long i = 0;
  for (auto _ : state) {
    std::string f = frame(i++);
    const auto t0 = std::chrono::steady_clock::now();
    s.sendRaw(std::move(f));
    if (!s.waitForActions(++seen, 5s)) {
      state.SkipWithError("no action within 5 s");
      return;
    }
    const std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
    state.SetIterationTime(d.count());
    samples.push_back(d.count() * 1e6);
  }
  std::sort(samples.begin(), samples.end());
  state.counters["median_us"] = samples[samples.size() / 2];
  state.counters["p99_us"] = samples[samples.size() * 99 / 100];
  const auto all = s.actions();
  if (all.size() != seen || all.back()["action"] != "send_group_msg") state.SkipWithError("not one send per event");
}

void BM_KeywordReply(benchmark::State& state) {
  OneBotStandin s;
  if (s.connect(serve->port(), {}) != 101) return state.SkipWithError("no connection to irhost serve");
  s.answer("send_group_msg", {{"message_id", 1}});
  // Members and groups take turns, as in a busy robot; message numbers never repeat.
  roundTrips(state, s, [](long long i) { return keywordFrame(kFirstGroup + i % kGroups, 30000 + i % 97, 100000 + i); });
}
BENCHMARK(BM_KeywordReply)->UseManualTime()->Iterations(3000)->Unit(benchmark::kMicrosecond);

void BM_WebSocketFloor(benchmark::State& state) {
  Answerer answerer;
  OneBotStandin s;
  if (s.connect(answerer.port(), {}) != 101) return state.SkipWithError("no connection to the answerer");
  s.ignore("send_group_msg");
  roundTrips(state, s, [](long long i) { return keywordFrame(kFirstGroup + i % kGroups, 30000 + i % 97, 100000 + i); });
}
BENCHMARK(BM_WebSocketFloor)->UseManualTime()->Iterations(3000)->Unit(benchmark::kMicrosecond);

// Quiet messages (no keyword, no claim, moderation as a fresh install has it) spread over
// state.range(0) groups, then one keyword message per group as a marker: per group, events are
// handled in order, so when every marker's reply is out the batch has been absorbed.
void BM_QuietGroupMessages(benchmark::State& state) {
  const int groups = static_cast<int>(state.range(0));
  constexpr int kBatch = 4000;
  OneBotStandin s;
  if (s.connect(serve->port(), {}) != 101) return state.SkipWithError("no connection to irhost serve");
  s.answer("send_group_msg", {{"message_id", 1}});
  std::vector<std::string> frames;
  for (int k = 0; k < kBatch; ++k)
    frames.push_back(OneBotStandin::groupMessage("10001", kFirstGroup + k % groups, 30000 + k % 211, 500000 + k,
                                                 text("大家好，今天天气不错 " + std::to_string(k)))
                         .dump());
  std::size_t seen = s.actions().size();
  long long id = 900000;
  const double cpu0 = serve->cpuSeconds();
  for (auto _ : state) {
    for (const auto& f : frames) s.sendRaw(f);
    for (int g = 0; g < groups; ++g) s.sendRaw(keywordFrame(kFirstGroup + g, 30001, id++));
    seen += static_cast<std::size_t>(groups);
    if (!s.waitForActions(seen, 60s)) return state.SkipWithError("markers not answered within 60 s");
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
  // The serve process's processor time per message, markers included.
  state.counters["serve_cpu_us_per_msg"] =
      (serve->cpuSeconds() - cpu0) * 1e6 / static_cast<double>(state.iterations() * (kBatch + groups));
  state.counters["serve_rss_MiB"] = serve->residentMiB();
  std::this_thread::sleep_for(100ms);
  if (s.actions().size() != seen) state.SkipWithError("a quiet message brought an action");
}
BENCHMARK(BM_QuietGroupMessages)->ArgName("groups")->Arg(1)->Arg(8)->MinTime(2.0)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  Serve s;
  if (!s.start()) {
    std::cerr << "irhost serve did not start\n";
    return 1;
  }
  serve = &s;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
