// A session file: the events a host replays into its plug-ins and the host's own answers, one
// line each, so that a session is reproducible. The format is described by sessionFormatHelp().
#pragma once

#include <iosfwd>
#include <string>

namespace hostkit {
class PluginSet;
class ScriptedHost;
}  // namespace hostkit

namespace irhost {

const char* sessionFormatHelp();

// Where the events of a session go when they do not go straight to the plug-ins' IR_Event: a
// route hands the event over (in the host's GBK texts) and returns once the plug-ins are done.
class EventRoute {
 public:
  virtual ~EventRoute() = default;
  virtual void deliver(const std::string& robot, int kind, const std::string& group, const std::string& active,
                       const std::string& passive, const std::string& message, const std::string& number,
                       const std::string& id) = 0;
};

// Runs the file's lines in order, handing events to `plugins` (or to `route` when given) and
// scripting the host's answers in `script`. Returns 0, or 2 after reporting the first malformed
// line (with its line number) or a file that cannot be read; the lines before it have run.
// With `openSettingsAtEnd`, a last "setup" line follows the file's lines (an empty `path` then
// runs that line alone): the settings windows open while the session's answers and stand-ins
// are still there.
int runSession(const std::string& path, hostkit::PluginSet& plugins, hostkit::ScriptedHost& script, std::ostream& out,
               std::ostream& err, EventRoute* route = nullptr, bool openSettingsAtEnd = false);

}  // namespace irhost
