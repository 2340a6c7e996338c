// A plug-in's files as a session sets them up and shows them: the INI settings it reads, written
// the way its settings window writes them, and any of its files printed in UTF-8. `folder` is the
// plug-in's own folder (plugin/<name>/); a file is named relative to it with "/" between folders,
// in UTF-8, and may not leave it.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>

namespace irhost {

// Writes one INI value (section, key and value in GBK) into the file, creating its folders. A
// missing profile, a file "机器人参数.ini" one folder deep, is first filled with the plug-in's
// built-in profile, as its settings window does when that folder's group is chosen, so that the
// other settings keep their usual values. False with the reason in `error` when the name is
// unfit or the file cannot be written.
bool writeSetting(const std::string& folder, const std::string& file, const std::string& section,
                  const std::string& key, const std::string& value, std::string& error);

// Prints the file's lines in UTF-8, each indented by two blanks; "(no such file)" or "(empty)"
// instead when there is nothing to show. False with the reason in `error` for an unfit name.
bool showFile(const std::string& folder, const std::string& file, std::ostream& out, std::string& error);

// The demo's installation, demo/run/ beside the program, made afresh from the plug-ins of plugin/:
// their files start empty, so every demo run tells the same story, and the files of `irhost run`
// are left alone. Returns the run directory.
std::filesystem::path freshDemoInstallation(const std::filesystem::path& programFolder);

}  // namespace irhost
