#include "plugin_files.h"

#include <filesystem>
#include <ostream>
#include <vector>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "display.h"

namespace irhost {

namespace {

namespace fs = std::filesystem;

// The folders and the file name of a name inside the plug-in's folder; empty when the name is
// absolute, empty, or has an empty, "." or ".." part (the session may not touch other files).
std::vector<std::string> partsOf(const std::string& file) {
  std::vector<std::string> parts;
  if (file.empty() || file[0] == '/') return {};
  std::size_t start = 0;
  while (true) {
    const std::size_t slash = file.find('/', start);
    std::string part = file.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (part.empty() || part == "." || part == "..") return {};
    parts.push_back(std::move(part));
    if (slash == std::string::npos) return parts;
    start = slash + 1;
  }
}

bool checked(const std::string& file, std::vector<std::string>& parts, std::string& error) {
  parts = partsOf(file);
  if (parts.empty()) error = "not a file inside the plug-in's folder: " + file;
  return !parts.empty();
}

}  // namespace

bool writeSetting(const std::string& folder, const std::string& file, const std::string& section,
                  const std::string& key, const std::string& value, std::string& error) {
  std::vector<std::string> parts;
  if (!checked(file, parts, error)) return false;
  const fs::path path = fs::path(folder) / file;
  std::error_code ec;
  fs::create_directories(path.parent_path(), ec);
  if (parts.size() == 2 && parts[1] == "机器人参数.ini" && !config::fileExists(path.string()))
    config::writeWholeFile(path.string(), config::builtinProfileText());
  if (!config::writeIniValue(path.string(), section, key, value)) {
    error = "cannot write " + file;
    return false;
  }
  return true;
}

bool showFile(const std::string& folder, const std::string& file, std::ostream& out, std::string& error) {
  std::vector<std::string> parts;
  if (!checked(file, parts, error)) return false;
  const std::string path = (fs::path(folder) / file).string();
  if (!config::fileExists(path)) {
    out << "  (no such file)\n";
    return true;
  }
  const std::string bytes = config::readWholeFile(path);
  if (bytes.empty()) out << "  (empty)\n";
  // Lines end in CR LF in these files; a lone LF ends one too.
  std::size_t start = 0;
  while (start < bytes.size()) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::size_t cut = end;
    if (cut > start && bytes[cut - 1] == '\r') --cut;
    out << "  " << shown(std::string_view(bytes).substr(start, cut - start)) << "\n";
    start = end + 1;
  }
  out.flush();
  return true;
}

std::filesystem::path freshDemoInstallation(const std::filesystem::path& programFolder) {
  namespace fs = std::filesystem;
  const fs::path runDir = programFolder / "demo" / "run";
  std::error_code ec;
  fs::remove_all(runDir, ec);
  fs::create_directories(runDir / "plugin", ec);
  for (const auto& entry : fs::directory_iterator(programFolder / "plugin", ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.ends_with(".ir.so"))
      fs::copy_file(entry.path(), runDir / "plugin" / name, fs::copy_options::overwrite_existing, ec);
  }
  return runDir;
}

}  // namespace irhost
