// irhost: a robot host for Linux that loads the plug-ins of its plugin/ folder and replays a
// session of events into them, printing every call they make to the host.
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "host_printer.h"
#include "hostkit/host.h"
#include "hostkit/plugin_set.h"
#include "hostkit/scripted_host.h"
#include "plugin_files.h"
#include "serve.h"
#include "session.h"
#include "vnc_display.h"

namespace {

namespace fs = std::filesystem;

void printHelp() {
  std::cout << R"(irhost: a robot host for plug-ins, on Linux.

Usage:
  irhost demo          runs the demo session shipped beside the program (demo/demo.session)
                       in a fresh installation, demo/run/, holding copies of the plug-ins
  irhost run FILE      runs the session FILE with the plug-ins of plugin/
  irhost serve [...]   serves real QQ groups through a OneBot v11 implementation (below)
  irhost demo --onebot the demo session with its events coming through a OneBot stand-in
  irhost setup [FILE]  opens the settings window of every plug-in of plugin/ (IR_SetUp), one
                       after the other, on this desktop; with FILE, the session FILE runs first
                       and answers the host queries the windows make (the robot of the robot
                       line, the group list of the groups line, the nicknames, the stand-ins)
  irhost setup --vnc [FILE]
                       the same on a machine without a desktop: starts a VNC server (TigerVNC's
                       Xvnc) that listens on this machine's loopback address only and asks for
                       a fresh password, opens the windows on it and prints how to reach it
                       through an SSH tunnel (ssh -L 5901:127.0.0.1:PORT user@server, then a VNC
                       viewer on localhost:5901). The server stops when the last window is
                       closed, or on Ctrl-C (SIGINT) or SIGTERM
  irhost --help        shows this text

At start irhost loads every *.ir.so file of the plugin/ folder beside the program, calls its
IR_Create and shows its information text. It then replays the session: each event goes to every
plug-in through IR_Event. The thirteen host functions (Api_SendMsg, Api_SendXML, Api_HandleEvent,
Api_GetObjLevel, Api_GetSign, Api_ShutUP, Api_KickGroupMBR, Api_WithdrawMsg, Api_GetPicLink,
Api_OutPutLog, Api_GetQQList, Api_GetGroupList, Api_GetNick) are exported by irhost itself; every
call a plug-in makes is printed as one line, for example
  send group 20002 → ...        send private 10001 → ...     xml group 20002 qq 10001 (1,2,2) → ...
  answer request of 10001 to group 20002: approve             ban 10001 in group 20002 for 600 s
  kick 10001 from group 20002   withdraw message 5/1000005 in group 20002     log ...
  query level of 10001 → 25     query nick of 10001 → ...
At the end each plug-in's IR_DestroyPlugin is called. A plug-in keeps its files in
plugin/<its name>/ of the installation it was loaded from: beside the program for run, in
demo/run/ for the demo.

The demo session starts loopback stand-ins for every outside web service (no request leaves the
machine), writes the plug-in's settings for two groups, one buying likes at a 亿乐 stand-in site
and one at a 玖伍 one, and replays: a newcomer, an invitation, a returning member, a daily claim
and a second claim, a keyword reply, a forbidden word typed and one inside a picture, and four join
requests. It ends by printing the orders the sites took, the like ledger and the join and claim
records. Times and dates in the output are those of the run.

)" << irhost::sessionFormatHelp()
            << "\n" << irhost::serveHelp() << R"(
Exit status: 0 when the session ran to its end, 1 when no plug-in could be loaded or the VNC
server did not start, 2 for a malformed command line or session line; after SIGINT or SIGTERM
under --vnc, 128 + the signal's number.
)";
}

fs::path programFolder() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : self.parent_path();
}

// Loads the plug-ins of `runDir`/plugin/ and replays the session into them (none for an empty
// name), then opens their settings windows when asked. The host functions the plug-ins call answer
// from the session's script and are printed as they happen.
int runWithPlugins(const fs::path& runDir, const std::string& sessionFile, bool openSettings = false) {
  auto script = std::make_shared<hostkit::ScriptedHost>();
  irhost::HostPrinter printer(std::cout);
  hostkit::Host& host = hostkit::processHost();
  host.setBackend(script);
  host.addObserver(printer);
  int status = 1;
  {
    hostkit::PluginSet plugins;
    plugins.loadFolder((runDir / "plugin").string(), std::cout);
    if (plugins.empty()) {
      std::cerr << "irhost: no plug-in in " << (runDir / "plugin").string() << std::endl;
    } else {
      status = irhost::runSession(sessionFile, plugins, *script, std::cout, std::cerr, nullptr, openSettings);
    }
  }  // the plug-ins are gone before the printer is
  host.removeObserver(printer);
  return status;
}

// The demo runs in an installation of its own (freshDemoInstallation); what the plug-ins wrote
// stays there to read.
int runDemo() {
  const fs::path here = programFolder();
  const fs::path runDir = irhost::freshDemoInstallation(here);
  std::cout << "irhost: demo installation in " << runDir.string() << std::endl;
  return runWithPlugins(runDir, (here / "demo" / "demo.session").string());
}

bool hasDesktop() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* value = std::getenv(name);
    if (value && *value) return true;
  }
  return false;
}

// The settings windows, on the desktop irhost runs on or on a VNC display of its own. The VNC
// server lives until the windows are closed, or until SIGINT or SIGTERM stops it and irhost.
int runSetup(const std::string& sessionFile, bool vnc) {
  std::shared_ptr<irhost::VncDisplay> display;
  if (vnc) {
    irhost::holdStopSignals();  // before any thread: the stand-ins' and the window's inherit it
    std::string error;
    display = irhost::VncDisplay::start(error);
    if (!display) {
      std::cerr << "irhost: no VNC display: " << error << std::endl;
      return 1;
    }
    irhost::stopOnSignal(display);
    display->useForWindows();
    const std::string port = std::to_string(display->port());
    std::cout << "irhost: the settings windows open on a VNC display that only this machine can reach:\n"
              << "  VNC server 127.0.0.1:" << port << " (X display " << display->display() << "), password "
              << display->password() << "\n"
              << "  From your own computer, open an SSH tunnel to this machine:\n"
              << "    ssh -L 5901:127.0.0.1:" << port << " user@server\n"
              << "  then point a VNC viewer at localhost:5901 and give the password.\n"
              << "  The server stops when the last window is closed, or with Ctrl-C here." << std::endl;
  } else if (!hasDesktop()) {
    std::cerr << "irhost: no desktop here (DISPLAY is not set), so no window can open; on a server use "
                 "irhost setup --vnc"
              << std::endl;
  }
  const int status = runWithPlugins(programFolder(), sessionFile, true);
  if (display) {
    display->stop();
    std::cout << "irhost: the VNC server is stopped" << std::endl;
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::string command = argc > 1 ? argv[1] : "";
  if (command == "--help" || command == "-h" || command == "help") {
    printHelp();
    return 0;
  }
  if (command == "demo" && argc == 2) {
    return runDemo();
  }
  if (command == "demo" && argc == 3 && std::string(argv[2]) == "--onebot") {
    return irhost::runOneBotDemo(programFolder());
  }
  if (command == "serve") {
    return irhost::runServe(argc - 2, argv + 2, programFolder());
  }
  if (command == "run" && argc == 3) {
    return runWithPlugins(programFolder(), argv[2]);
  }
  if (command == "setup" && argc <= 4) {
    bool vnc = false;
    std::string session;
    bool wellFormed = true;
    for (int i = 2; i < argc; ++i) {
      const std::string arg = argv[i];
      if (arg == "--vnc" && !vnc) {
        vnc = true;
      } else if (session.empty() && !arg.empty() && arg[0] != '-') {
        session = arg;
      } else {
        wellFormed = false;
      }
    }
    if (wellFormed) return runSetup(session, vnc);
  }
  std::cerr << "usage: irhost demo [--onebot] | irhost run FILE | irhost setup [--vnc] [FILE] | irhost serve [OPTIONS] | irhost --help" << std::endl;
  return 2;
}
