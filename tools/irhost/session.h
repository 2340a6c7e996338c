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

// Runs the file's lines in order, handing events to `plugins` and scripting the host's answers
// in `script`. Returns 0, or 2 after reporting the first malformed line
// (with its line number) or a file that cannot be read; the lines before it have run.
// With `openSettingsAtEnd`, a last "setup" line follows the file's lines (an empty `path` then
// runs that line alone): the settings windows open while the session's answers and stand-ins
// are still there.
int runSession(const std::string& path, hostkit::PluginSet& plugins, hostkit::ScriptedHost& script, std::ostream& out,
               std::ostream& err, bool openSettingsAtEnd = false);

}  // namespace irhost
