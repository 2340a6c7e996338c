// A fresh installation of irhost for one test: a temporary run directory holding a copy of the
// built program and an empty plugin/ folder, into which a test copies the plug-ins it needs.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <string>

#include "irhost/irhost_files.h"  // generated: IRHOST_PROGRAM, ECHO_PLUGIN, PLUGIN_LIBRARY, DEMO_SESSION

namespace irhost_test {

// "<tmp>/<prefix>XXXXXX" with irhost and plugin/; an empty path when the folder cannot be made.
inline std::filesystem::path newInstallation(const std::string& prefix) {
  namespace fs = std::filesystem;
  std::string pattern = (fs::temp_directory_path() / (prefix + "XXXXXX")).string();
  if (mkdtemp(pattern.data()) == nullptr) return {};
  const fs::path dir = pattern;
  fs::copy_file(IRHOST_PROGRAM, dir / "irhost");
  fs::permissions(dir / "irhost", fs::perms::owner_exec, fs::perm_options::add);
  fs::create_directory(dir / "plugin");
  return dir;
}

// Copies the built plug-in library into the installation's plugin/ folder.
inline void installPlugin(const std::filesystem::path& dir) {
  std::filesystem::copy_file(PLUGIN_LIBRARY, dir / "plugin" / std::filesystem::path(PLUGIN_LIBRARY).filename());
}

}  // namespace irhost_test
