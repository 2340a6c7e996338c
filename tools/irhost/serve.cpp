#include "serve.h"

#include <arpa/inet.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <charconv>
#include <condition_variable>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "host_printer.h"
#include "hostkit/host.h"
#include "hostkit/plugin_set.h"
#include "onebot/forward_client.h"
#include "onebot/reverse_server.h"
#include "onebot_bridge.h"

namespace irhost {

namespace fs = std::filesystem;

const char* serveHelp() {
  return R"(irhost serve: the plug-ins of plugin/ serve real QQ groups through a OneBot v11 implementation
(NapCatQQ, LLOneBot, Lagrange.OneBot), which keeps the QQ account online; see docs/onebot.md.

  irhost serve [--listen ADDR:PORT] [--path PATH] [--connect ws://HOST:PORT[/PATH]]
               [--token-file FILE] [--pace MS] [--quiet] [--setup]

  --listen ADDR:PORT   waits for the implementation's reverse WebSocket (default 127.0.0.1:8080
                       when no --connect is given); port 0 takes a free port, shown in the banner
  --path PATH          the reverse WebSocket's path (default /onebot/v11/ws)
  --connect URL        connects to the implementation's forward WebSocket, reconnecting after
                       1 s, doubling up to 30 s; may be given beside --listen
  --token-file FILE    the access token (first line of FILE); else the environment variable
                       IRHOST_ONEBOT_TOKEN. Never on the command line. Listening on an address
                       other than loopback needs a token.
  --pace MS            at most one send per group every MS milliseconds (default 500; 0: off)
  --quiet              no line per event and per host call (connections and failures still show)
  --setup              also opens each plug-in's settings window while serving

Events go to the plug-ins on a pool of workers: one group's events in order, groups side by side.
SIGINT or SIGTERM stops reading events, lets the events in hand finish (at most 10 s), calls
IR_DestroyPlugin and exits with 0.
)";
}

namespace {

struct ServeOptions {
  std::string listenAddress;
  std::uint16_t listenPort = 0;
  bool listen = false;
  std::string path = "/onebot/v11/ws";
  std::string connect;
  std::string tokenFile;
  long long paceMs = 500;
  bool quiet = false;
  bool setup = false;
};

bool parsePort(const std::string& s, std::uint16_t& port) {
  unsigned value = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), value);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty() || value > 65535) return false;
  port = static_cast<std::uint16_t>(value);
  return true;
}

// "127.0.0.1:8080", "[::1]:8080", "localhost:8080".
bool parseListen(const std::string& s, ServeOptions& o) {
  const std::size_t colon = s.rfind(':');
  if (colon == std::string::npos || !parsePort(s.substr(colon + 1), o.listenPort)) return false;
  std::string address = s.substr(0, colon);
  if (address.size() >= 2 && address.front() == '[' && address.back() == ']') address = address.substr(1, address.size() - 2);
  if (address == "localhost") address = "127.0.0.1";
  if (address.empty()) return false;
  o.listenAddress = address;
  o.listen = true;
  return true;
}

bool isLoopback(const std::string& address) {
  in_addr v4{};
  if (inet_pton(AF_INET, address.c_str(), &v4) == 1) return (ntohl(v4.s_addr) >> 24) == 127;
  in6_addr v6{};
  if (inet_pton(AF_INET6, address.c_str(), &v6) == 1) return IN6_IS_ADDR_LOOPBACK(&v6);
  return false;
}

// Returns 0, or the exit status after reporting the problem.
int parseOptions(int argc, char** argv, ServeOptions& o) {
  for (int i = 0; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&](std::string& into) {
      if (i + 1 >= argc) return false;
      into = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--listen") {
      if (!value(v) || !parseListen(v, o)) {
        std::cerr << "irhost serve: --listen wants ADDRESS:PORT, such as 127.0.0.1:8080" << std::endl;
        return 2;
      }
    } else if (a == "--path") {
      if (!value(o.path) || o.path.empty() || o.path[0] != '/') {
        std::cerr << "irhost serve: --path wants a path starting with /" << std::endl;
        return 2;
      }
    } else if (a == "--connect") {
      if (!value(o.connect)) return std::cerr << "irhost serve: --connect wants ws://HOST:PORT" << std::endl, 2;
    } else if (a == "--token-file") {
      if (!value(o.tokenFile)) return std::cerr << "irhost serve: --token-file wants a file" << std::endl, 2;
    } else if (a == "--pace") {
      if (!value(v) || std::from_chars(v.data(), v.data() + v.size(), o.paceMs).ec != std::errc() || o.paceMs < 0) {
        std::cerr << "irhost serve: --pace wants a number of milliseconds (0 switches pacing off)" << std::endl;
        return 2;
      }
    } else if (a == "--quiet") {
      o.quiet = true;
    } else if (a == "--setup") {
      o.setup = true;
    } else if (a.starts_with("--token") || a.starts_with("--access-token")) {
      std::cerr << "irhost serve: the token is not taken from the command line (other users of this machine can "
                   "read it there); put it in a file for --token-file, or in the environment variable "
                << kTokenVariable << std::endl;
      return 2;
    } else {
      std::cerr << "irhost serve: unknown option " << a << " (irhost --help)" << std::endl;
      return 2;
    }
  }
  if (!o.listen && o.connect.empty()) parseListen("127.0.0.1:8080", o);
  return 0;
}

// Returns 0 with the token (maybe ""), or the exit status after reporting.
int readToken(const ServeOptions& o, std::string& token) {
  if (!o.tokenFile.empty()) {
    std::ifstream in(o.tokenFile, std::ios::binary);
    if (!in) return std::cerr << "irhost serve: cannot read the token file " << o.tokenFile << std::endl, 2;
    std::getline(in, token);
    while (!token.empty() && (token.back() == '\r' || token.back() == ' ' || token.back() == '\t')) token.pop_back();
    if (token.empty()) return std::cerr << "irhost serve: the token file " << o.tokenFile << " is empty" << std::endl, 2;
  } else if (const char* env = std::getenv(kTokenVariable)) {
    token = env;
  }
  return 0;
}

// SIGINT and SIGTERM, taken by one thread with sigwait (blocked everywhere else, so every thread
// started after this inherits the block).
class SignalWatch {
 public:
  SignalWatch() {
    sigemptyset(&set_);
    sigaddset(&set_, SIGINT);
    sigaddset(&set_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set_, nullptr);
  }
  ~SignalWatch() {
    if (thread_.joinable()) thread_.join();
  }
  // `onSignal` runs on the watching thread.
  void start(std::function<void(int)> onSignal) {
    thread_ = std::thread([this, f = std::move(onSignal)] {
      int sig = 0;
      sigwait(&set_, &sig);
      f(sig);
    });
  }

 private:
  sigset_t set_;
  std::thread thread_;
};

std::string pluginNames(const hostkit::PluginSet& plugins) {
  std::string names;
  for (const auto& p : plugins.plugins()) names += (names.empty() ? "" : ", ") + p->fileName();
  return names;
}

}  // namespace

int runServe(int argc, char** argv, const fs::path& runDir) {
  ServeOptions o;
  if (const int status = parseOptions(argc, argv, o)) return status;
  std::string token;
  if (const int status = readToken(o, token)) return status;
  if (o.listen && token.empty() && !isLoopback(o.listenAddress)) {
    std::cerr << "irhost serve: refusing to listen on " << o.listenAddress
              << " without a token: anyone who reaches that address could act as the robot's QQ account. "
                 "Give a token (--token-file FILE or "
              << kTokenVariable << ") and set the same one in the OneBot implementation, or listen on 127.0.0.1."
              << std::endl;
    return 2;
  }

  SignalWatch signals;  // before any thread starts
  std::ostream& out = std::cout;
  hostkit::Host& host = hostkit::processHost();
  HostPrinter printer(out);
  int status = 0;
  auto plugins = std::make_unique<hostkit::PluginSet>();
  plugins->loadFolder((runDir / "plugin").string(), out);
  if (plugins->empty()) {
    std::cerr << "irhost: no plug-in in " << (runDir / "plugin").string() << std::endl;
    return 1;
  }

  BridgeOptions bo;
  bo.pace = std::chrono::milliseconds(o.paceMs);
  bo.quiet = o.quiet;
  auto bridge = std::make_shared<OneBotBridge>(*plugins, bo, out);
  host.setBackend(bridge);
  if (!o.quiet) host.addObserver(printer);

  std::unique_ptr<onebot::ReverseServer> server;
  std::unique_ptr<onebot::ForwardClient> client;
  std::shared_ptr<OneBotBridge::Slot> serverSlot, clientSlot;
  if (o.listen) {
    onebot::ReverseServerOptions so;
    so.address = o.listenAddress;
    so.port = o.listenPort;
    so.path = o.path;
    so.token = token;
    so.onRefused = [b = bridge.get()](const std::string& why) { b->logLine("* connection refused: " + why); };
    std::string error;
    server = onebot::ReverseServer::listen(so, bridge->handlers(serverSlot), &error);
    if (!server) {
      std::cerr << "irhost serve: cannot listen on " << o.listenAddress << ":" << o.listenPort << ": " << error
                << std::endl;
      status = 1;
    } else {
      OneBotBridge::attach(*serverSlot, server.get());
      const bool v6 = o.listenAddress.find(':') != std::string::npos;
      out << "irhost serve: listening on ws://" << (v6 ? "[" + o.listenAddress + "]" : o.listenAddress) << ":"
          << server->port() << o.path << (token.empty() ? " (no token)" : " (token required)") << std::endl;
    }
  }
  if (status == 0 && !o.connect.empty()) {
    onebot::ForwardClientOptions co;
    co.url = o.connect;
    co.token = token;
    co.onRetry = [b = bridge.get(), url = o.connect](const std::string& why, std::chrono::milliseconds delay) {
      b->logLine("* " + url + ": " + why + "; next attempt in " + std::to_string(delay.count() / 1000.0).substr(0, 4) +
                 " s");
    };
    std::string error;
    client = onebot::ForwardClient::start(co, bridge->handlers(clientSlot), &error);
    if (!client) {
      std::cerr << "irhost serve: cannot connect to " << o.connect << ": " << error << std::endl;
      status = 2;
    } else {
      OneBotBridge::attach(*clientSlot, client.get());
      out << "irhost serve: connecting to " << o.connect << (token.empty() ? " (no token)" : " (with token)")
          << std::endl;
    }
  }
  if (status != 0) {
    server.reset();
    client.reset();
    host.removeObserver(printer);
    host.setBackend(nullptr);
    return status;
  }
  out << "irhost serve: plug-ins: " << pluginNames(*plugins) << "; pacing "
      << (o.paceMs ? std::to_string(o.paceMs) + " ms per group" : std::string("off")) << "; Ctrl-C stops" << std::endl;

  std::mutex mutex;
  std::condition_variable stopped;
  bool signalled = false, setupOpen = o.setup;
  signals.start([&](int sig) {
    bool windowOpen;
    {
      std::lock_guard lock(mutex);
      signalled = true;
      windowOpen = setupOpen;
    }
    stopped.notify_all();
    if (!windowOpen) return;
    // The settings window holds the main thread: the stop happens here, and the process ends
    // without unloading the plug-ins, whose window code is still on the stack.
    out << "irhost serve: " << (sig == SIGINT ? "SIGINT" : "SIGTERM") << ", stopping" << std::endl;
    if (!bridge->finish(std::chrono::seconds(10))) out << "irhost serve: events still running after 10 s" << std::endl;
    for (const auto& p : plugins->plugins())
      if (p->destroy) p->destroy();
    out << "irhost serve: stopped" << std::endl;
    std::_Exit(0);
  });

  if (o.setup) {
    for (const auto& p : plugins->plugins()) {
      if (!p->setUp) continue;
      out << "irhost serve: settings of " << p->fileName() << " open" << std::endl;
      p->setUp();
      out << "irhost serve: settings of " << p->fileName() << " closed" << std::endl;
    }
    std::lock_guard lock(mutex);
    setupOpen = false;
  }
  {
    std::unique_lock lock(mutex);
    stopped.wait(lock, [&] { return signalled; });
  }
  out << "irhost serve: stopping: no new events; finishing the events in hand" << std::endl;
  const bool done = bridge->finish(std::chrono::seconds(10));
  // Closing the links ends every call still waiting for a reply.
  server.reset();
  client.reset();
  if (!done) {
    // A plug-in still runs on a worker: it must not be unloaded under it.
    out << "irhost serve: events still running after 10 s; leaving them" << std::endl;
    for (const auto& p : plugins->plugins())
      if (p->destroy) p->destroy();
    out << "irhost serve: stopped" << std::endl;
    std::_Exit(0);
  }
  plugins.reset();  // IR_DestroyPlugin, then unload
  host.removeObserver(printer);
  host.setBackend(nullptr);
  bridge.reset();
  out << "irhost serve: stopped" << std::endl;
  return 0;
}

}  // namespace irhost
