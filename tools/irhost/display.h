// The host's console texts. The plug-in speaks GBK; the console and session files are UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace irhost {

// A GBK text as one UTF-8 console line: CR, LF, tab and backslash written as \r \n \t \\, so a
// shown text can be pasted back into a session file. A named address is shown as ${NAME}.
std::string shown(std::string_view gbk);

// From now on, `address` (such as "http://127.0.0.1:40123") is shown as "${" + name + "}": the
// stand-ins' ports change from run to run, their names do not.
void nameAddress(const std::string& address, const std::string& name);

// What an IR_Event kind is, for event lines: "group message", "member joined", "join request"…
const char* eventKindName(long long kind);

// A session field with its escapes \n \r \t \\ decoded (any other backslash stays as it is),
// converted from UTF-8 to the plug-in's GBK.
std::string fieldToGbk(std::string_view utf8Field);

}  // namespace irhost
