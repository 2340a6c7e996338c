// The plug-ins of this host: every "*.ir.so" in a folder, loaded in name order. An event goes to
// each of them in that order, as the host hands an event to every plug-in it holds.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

namespace irhost {

class PluginSet {
 public:
  // Loads the folder's plug-ins and calls each one's IR_Create, printing what it says about
  // itself; a file that does not load or lacks IR_Create / IR_Event is reported and skipped.
  void loadFolder(const std::string& folder, std::ostream& out);
  ~PluginSet();  // IR_DestroyPlugin for each, then unload

  bool empty() const { return plugins_.empty(); }

  // The folder where the first plug-in keeps its files, "<folder>/<name>/" for "<name>.ir.so";
  // "" when none is loaded.
  std::string filesFolder() const;

  void event(const std::string& robot, int32_t kind, const std::string& group, const std::string& activeQQ,
             const std::string& passiveQQ, const std::string& message, const std::string& messageNo,
             const std::string& messageId, std::ostream& out);
  void lookUpNickname(const std::string& qq, std::ostream& out);
  void openSettings(std::ostream& out);

 private:
  struct Plugin {
    std::string file;  // name inside the folder
    void* handle = nullptr;
    const char* (*create)() = nullptr;
    void (*setUp)() = nullptr;
    int32_t (*event)(const char*, int32_t, int32_t, const char*, const char*, const char*, const char*,
                     const char*, const char*, const char*, const char*, int32_t) = nullptr;
    int32_t (*destroy)() = nullptr;
    const char* (*nickname)(const char*) = nullptr;
  };
  std::vector<Plugin> plugins_;
  std::string folder_;
};

}  // namespace irhost
