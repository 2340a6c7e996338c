// ConfigStore: the plug-in's settings, read and written one key at a time, never cached.
//
// Layout under PluginDir: "核心配置.ini" (core file), "默认配置/机器人参数.ini" (default profile),
// "<group>/机器人参数.ini" (a group's profile), the records files beside each profile, the gift
// ledger "名片赞数量.ini" and the card template "xml.txt". Folder names and every section, key and
// value are GBK; the paths returned here are UTF-8 file-system paths.
//
// Every setting's section, key, built-in value and fallback is an entry of the settings schema
// (settings_schema.h), and the choice of profile for a feature is profile_choice.h; both are parts
// of the store and come with this header.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config/profile_choice.h"
#include "config/settings_schema.h"

namespace config {

// Reads and writes through the INI layer (ini_file.h).
std::string ReadValue(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view fallback = {});
void WriteValue(const std::string& path, std::string_view section, std::string_view key, std::string_view value);

// The GBK folder name of the default profile, "默认配置".
const std::string& defaultFolder();

std::string CorePath();                                     // PluginDir + "核心配置.ini"
std::string FolderPath(std::string_view folder);            // PluginDir + folder + "/", one level down
                                                            // ('/' becomes '_', "." and ".." get a '_' prefix)
std::string ProfilePath(std::string_view folder);           // PluginDir + folder + "/机器人参数.ini"
std::string RecordsPath(std::string_view folder, std::string_view gbkFileName);  // beside the profile
std::string LedgerPath();                                   // PluginDir + "/名片赞数量.ini"
std::string CardTemplatePath();                             // PluginDir + "/xml.txt"

// Creates the folder (one level) and, when the profile file is missing, writes the built-in text.
void EnsureProfile(std::string_view folder);

std::string EncodeLines(std::string_view text);  // every CR LF becomes "[换行]"
std::string DecodeLines(std::string_view text);  // every "[换行]" becomes CR LF

// Base addresses of the outside services whose hosts are ours to choose, from the core file's
// section 服务地址 (keys 昵称服务, 头像服务, 文字识别服务, 更新服务), such as "http://127.0.0.1:8080",
// without a trailing slash. Defaults (also for an empty entry), from the settings schema: QQ's
// public portrait and avatar services; none ("") for text recognition and updates.
enum class Service { Portrait, Avatar, TextRecognition, Update };
std::string serviceAddress(Service service);

}  // namespace config
