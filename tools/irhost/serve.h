// irhost serve: the plug-ins of plugin/ serving real QQ groups through OneBot v11 implementations
// (reverse WebSocket server and/or forward client), until SIGINT or SIGTERM. And irhost demo
// --onebot: the demo session told through a OneBot implementation stand-in.
#pragma once

#include <filesystem>

namespace irhost {

// The environment variable that may carry the access token (the command line never does).
inline constexpr const char* kTokenVariable = "IRHOST_ONEBOT_TOKEN";

const char* serveHelp();

// `args` are the words after "serve". Returns the exit status: 0 after a signal, 1 when no plug-in
// loads or the address cannot be used, 2 for a malformed or unsafe command line.
int runServe(int argc, char** argv, const std::filesystem::path& runDir);

// The demo session of `programFolder`, in a fresh demo/run/ installation, with every event sent by
// a OneBot stand-in to an in-process bridge and every host call answered through it.
int runOneBotDemo(const std::filesystem::path& programFolder);

}  // namespace irhost
