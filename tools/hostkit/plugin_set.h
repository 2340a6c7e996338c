// PluginSet: the plug-ins of a host, every "*.ir.so" in its plugin/ folder, loaded in name order
// and created (IR_Create). A host hands each event to every plug-in in that order.
#pragma once

#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "hostkit/plugin_library.h"

namespace hostkit {

class PluginSet {
 public:
  // Loads the folder's plug-ins and calls each one's IR_Create, reporting to `out` what each says
  // about itself; a file that does not load or lacks IR_Create or IR_Event is reported and skipped.
  // `out` must outlive the set: the destructor reports there too.
  void loadFolder(const std::string& folder, std::ostream& out);
  ~PluginSet();  // IR_DestroyPlugin for each, last loaded first, then unload

  bool empty() const { return plugins_.empty(); }
  const std::vector<std::unique_ptr<PluginLibrary>>& plugins() const { return plugins_; }

  // The folder where the first plug-in keeps its files, "<folder>/<name>/" for "<name>.ir.so";
  // "" when none is loaded.
  std::string filesFolder() const;

 private:
  std::vector<std::unique_ptr<PluginLibrary>> plugins_;
  std::string folder_;
  std::ostream* out_ = nullptr;
};

}  // namespace hostkit
