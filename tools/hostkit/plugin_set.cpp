#include "hostkit/plugin_set.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

#include "text/gbk.h"

namespace hostkit {

namespace fs = std::filesystem;

namespace {
constexpr std::string_view kSuffix = ".ir.so";
}  // namespace

void PluginSet::loadFolder(const std::string& folder, std::ostream& out) {
  folder_ = folder;
  out_ = &out;
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder, ec)) {
    std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.size() > kSuffix.size() && name.ends_with(kSuffix)) files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const fs::path& path : files) {
    const std::string file = path.filename().string();
    std::string error;
    std::unique_ptr<PluginLibrary> p = PluginLibrary::open(path.string(), error);
    if (!p) {
      out << "irhost: cannot load plugin/" << file << ": " << error << std::endl;
      continue;
    }
    if (!p->create || !p->event) {
      out << "irhost: plugin/" << file << " lacks IR_Create or IR_Event; skipped" << std::endl;
      continue;
    }
    out << "irhost: loaded plugin/" << file << std::endl;
    const char* info = p->create();
    std::string utf8 = text::gbkToUtf8(info ? info : "");
    out << "  information (" << (info ? std::string(info).size() : 0) << " bytes in GBK):" << std::endl;
    std::size_t start = 0;
    while (start <= utf8.size()) {
      std::size_t end = utf8.find("\r\n", start);
      std::string line = utf8.substr(start, end == std::string::npos ? std::string::npos : end - start);
      out << "    " << line << std::endl;
      if (end == std::string::npos) break;
      start = end + 2;
    }
    plugins_.push_back(std::move(p));
  }
}

std::string PluginSet::filesFolder() const {
  if (plugins_.empty()) return {};
  const std::string file = plugins_.front()->fileName();
  return folder_ + "/" + file.substr(0, file.size() - kSuffix.size()) + "/";
}

PluginSet::~PluginSet() {
  for (auto it = plugins_.rbegin(); it != plugins_.rend(); ++it) {
    const PluginLibrary& p = **it;
    if (p.destroy) {
      int32_t result = p.destroy();
      *out_ << "irhost: plugin/" << p.fileName() << " destroyed (" << result << ")" << std::endl;
    }
  }
  plugins_.clear();
}

}  // namespace hostkit
