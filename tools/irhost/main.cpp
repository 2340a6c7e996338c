// irhost: a robot host for Linux that loads the plug-ins of its plugin/ folder and replays a
// session of events into them, printing every call they make to the host.
#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <string>

#include "host_printer.h"
#include "hostkit/host.h"
#include "hostkit/plugin_set.h"
#include "hostkit/scripted_host.h"
#include "serve.h"
#include "session.h"

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
Exit status: 0 when the session ran to its end, 1 when no plug-in could be loaded, 2 for a
malformed command line or session line.
)";
}

fs::path programFolder() {
  std::error_code ec;
  fs::path self = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::current_path() : self.parent_path();
}

// Loads the plug-ins of `runDir`/plugin/ and replays the session into them. The host functions
// the plug-ins call answer from the session's script and are printed as they happen.
int runWithPlugins(const fs::path& runDir, const std::string& sessionFile) {
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
      status = irhost::runSession(sessionFile, plugins, *script, std::cout, std::cerr);
    }
  }  // the plug-ins are gone before the printer is
  host.removeObserver(printer);
  return status;
}

// The demo runs in an installation of its own, demo/run/ beside the program, made afresh from the
// plug-ins of plugin/ each time: the plug-ins' files start empty, so every demo run tells the same
// story, and the files of `irhost run` are left alone. What the plug-ins wrote stays there to read.
int runDemo() {
  const fs::path here = programFolder();
  const fs::path runDir = here / "demo" / "run";
  std::error_code ec;
  fs::remove_all(runDir, ec);
  fs::create_directories(runDir / "plugin", ec);
  for (const auto& entry : fs::directory_iterator(here / "plugin", ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.ends_with(".ir.so"))
      fs::copy_file(entry.path(), runDir / "plugin" / name, fs::copy_options::overwrite_existing, ec);
  }
  std::cout << "irhost: demo installation in " << runDir.string() << std::endl;
  return runWithPlugins(runDir, (here / "demo" / "demo.session").string());
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
  std::cerr << "usage: irhost demo [--onebot] | irhost run FILE | irhost serve [OPTIONS] | irhost --help" << std::endl;
  return 2;
}
