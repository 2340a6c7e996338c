#include "config/config_store.h"

#include "config/ini_file.h"
#include "config/plugin_dir.h"
#include "text/gbk.h"
#include "text/numbers.h"
#include "text/search.h"

namespace config {

namespace {

struct Names {
  std::string softwareSection = text::gbk("软件参数");
  std::string sharedKey = text::gbk("是否所有群使用默认配置");
  std::string yes = text::gbk("真");
  std::string no = text::gbk("假");
  std::string serviceSection = text::gbk("服务地址");
  std::string portraitKey = text::gbk("昵称服务");
  std::string avatarKey = text::gbk("头像服务");
  std::string recognitionKey = text::gbk("文字识别服务");
  std::string updateKey = text::gbk("更新服务");
};

const Names& names() {
  static const Names n;
  return n;
}

}  // namespace

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

SharedSwitch readSharedSwitch() {
  const Names& n = names();
  const std::optional<std::string> value = findIniValue(CorePath(), n.softwareSection, n.sharedKey);
  if (!value) return SharedSwitch::Absent;
  if (*value == n.yes) return SharedSwitch::On;
  if (*value == n.no) return SharedSwitch::Off;
  return SharedSwitch::Other;
}

bool IsSharedMode() {
  const Names& n = names();
  return ReadValue(CorePath(), n.softwareSection, n.sharedKey, n.no) == n.yes;
}

std::optional<std::string> EventProfileFolder(std::string_view group) {
  switch (readSharedSwitch()) {
    case SharedSwitch::On:
      return defaultFolder();
    case SharedSwitch::Off:
      return std::string(group);
    default:
      return std::nullopt;
  }
}

std::optional<std::string> WindowProfileFolder(std::string_view selection) {
  const double number = text::readNumber(selection);
  if (text::numberLess(number, 1000)) return defaultFolder();
  if (text::numberGreater(number, 1000)) return std::string(selection);
  return std::nullopt;
}

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
  const Names& n = names();
  const std::string* key = nullptr;
  std::string builtin;
  switch (service) {
    case Service::Portrait:
      key = &n.portraitKey;
      builtin = "http://r.qzone.qq.com";
      break;
    case Service::Avatar:
      key = &n.avatarKey;
      builtin = "http://q1.qlogo.cn";
      break;
    case Service::TextRecognition:
      key = &n.recognitionKey;
      break;
    case Service::Update:
      key = &n.updateKey;
      break;
  }
  if (!key) return {};
  std::string address = ReadValue(CorePath(), n.serviceSection, *key);
  // An empty entry means "not configured", so the built-in address still applies.
  if (address.empty()) address = builtin;
  while (!address.empty() && address.back() == '/') address.pop_back();
  return address;
}

}  // namespace config
