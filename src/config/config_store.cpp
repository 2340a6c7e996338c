#include "config/config_store.h"

#include "config/ini_file.h"
#include "config/plugin_dir.h"
#include "text/gbk.h"
#include "text/search.h"

namespace config {

std::string ReadValue(const std::string& path, std::string_view section, std::string_view key,
                      std::string_view fallback) {
  return readIniValue(path, section, key, fallback);
}

void WriteValue(const std::string& path, std::string_view section, std::string_view key, std::string_view value) {
  writeIniValue(path, section, key, value);
}

const std::string& defaultFolder() {
  static const std::string folder = text::gbk("默认配置");
  return folder;
}

std::string CorePath() { return pluginDir() + "核心配置.ini"; }

// A folder is one level below PluginDir whatever text names it: group numbers come from the host,
// and a text such as "../x" must not lead a read or a write out of the plug-in's folder.
std::string FolderPath(std::string_view folder) {
  std::string name = text::gbkToUtf8(folder);
  for (char& c : name)
    if (c == '/' || c == '\0') c = '_';
  if (name == "." || name == "..") name.insert(0, "_");
  return pluginDir() + name + "/";
}

std::string ProfilePath(std::string_view folder) { return FolderPath(folder) + "机器人参数.ini"; }

std::string RecordsPath(std::string_view folder, std::string_view gbkFileName) {
  return FolderPath(folder) + text::gbkToUtf8(gbkFileName);
}

// PluginDir ends with a separator and the ledger's name starts with one; Linux takes the doubled
// separator like any other.
std::string LedgerPath() { return pluginDir() + "/名片赞数量.ini"; }

std::string CardTemplatePath() { return pluginDir() + "/xml.txt"; }

void EnsureProfile(std::string_view folder) {
  makeFolder(FolderPath(folder));
  const std::string path = ProfilePath(folder);
  // A plain existence test: an empty profile the user left behind is not refilled.
  if (!fileExists(path)) writeWholeFile(path, builtinProfileText());
}

std::string EncodeLines(std::string_view lines) {
  static const std::string marker = text::gbk("[换行]");
  return text::replaceAll(lines, "\r\n", marker);
}

std::string DecodeLines(std::string_view lines) {
  static const std::string marker = text::gbk("[换行]");
  return text::replaceAll(lines, marker, "\r\n");
}

std::string serviceAddress(Service service) {
  SettingId id = SettingId::PortraitService;
  switch (service) {
    case Service::Portrait: id = SettingId::PortraitService; break;
    case Service::Avatar: id = SettingId::AvatarService; break;
    case Service::TextRecognition: id = SettingId::TextRecognitionService; break;
    case Service::Update: id = SettingId::UpdateService; break;
  }
  std::string address = readSetting(CorePath(), id);
  // An empty entry means "not configured", so the built-in address still applies.
  if (address.empty()) address = whenAbsentOf(id);
  while (!address.empty() && address.back() == '/') address.pop_back();
  return address;
}

}  // namespace config
