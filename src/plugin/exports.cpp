#include "plugin/exports.h"

#include <string>

#include "config/plugin_dir.h"
#include "events/dispatch_event.h"
#include "events/event_numbers.h"
#include "plugin/fault_guard.h"
#include "plugin/plugin_info.h"
#include "plugin/plugin_location.h"
#include "hostapi/host_api.h"
#include "net/nickname_lookup.h"
#include "text/gbk.h"
#include "text/numbers.h"
#include "ui/open_window.h"

#define IR_EXPORT __attribute__((visibility("default")))

namespace {

// What the host reads and the texts handed to it, kept from load to unload so that a returned
// pointer outlives its call; each is replaced by the next call of the same export.
plugin::PluginInfo pluginInfo;
std::string retainedInformation;
// Per calling thread: a host that asks for nicknames from several threads at once gets each
// answer in its own buffer, valid until that thread's next call.
thread_local std::string retainedNickname;

std::string copied(const char* hostText) { return hostText ? std::string(hostText) : std::string(); }

void fixPluginDir() {
  std::string runDir = plugin::runDirectoryOf(reinterpret_cast<const void*>(&IR_Create));
  config::setPluginDir(plugin::pluginDirUnder(runDir));
}

// PluginDir is known from where the library was loaded, so it is fixed at load: an event or a
// nickname query that arrives before IR_Create then reads and writes the plug-in's own folder,
// never the working folder or the file system's root. IR_Create fixes it again and creates it.
[[maybe_unused]] const bool pluginDirFixedAtLoad = [] {
  try {
    fixPluginDir();
  } catch (...) {
  }
  return true;
}();

const char* createPlugin() {
  fixPluginDir();
  plugin::createFolder(config::pluginDir());
  pluginInfo = plugin::fixedPluginInfo();
  // The fault guard wraps every export from the start, so there is nothing further to install.
  retainedInformation = plugin::informationText(pluginInfo);
  return retainedInformation.c_str();
}

int32_t ignoredMessage() { return 1; }

}  // namespace

extern "C" {

IR_EXPORT const char* IR_Create(void) {
  const char* text = plugin::guarded<const char*>(nullptr, createPlugin);
  return text ? text : retainedInformation.c_str();
}

IR_EXPORT void IR_SetUp(void) {
  plugin::guarded([] { ui::openSettingsWindow(); });
}

IR_EXPORT int32_t IR_Event(const char* robotQQ, int32_t kind, int32_t /*subKind*/, const char* source,
                           const char* activeQQ, const char* passiveQQ, const char* message,
                           const char* messageNo, const char* messageId, const char* /*data1*/,
                           const char* /*data2*/, int32_t /*data3*/) {
  plugin::guarded([&] {
    events::HostEvent event;
    event.robotQQ = copied(robotQQ);
    event.kind = kind;
    event.group = copied(source);
    event.activeQQ = copied(activeQQ);
    event.passiveQQ = copied(passiveQQ);
    event.message = copied(message);
    event.messageNo = copied(messageNo);
    event.messageId = copied(messageId);
    if (auto bad = events::malformedEventNumber(event)) {
      hostapi::hostApi().OutPutLog(text::gbk("朔禾引流插件：事件的QQ号或群号不是数字，未处理：") + *bad);
      return;
    }
    events::dispatchEvent(event);
  });
  return 1;
}

IR_EXPORT int32_t IR_Message(const char*, int32_t, const char*, const char*, const char*, const char*) {
  return ignoredMessage();
}

IR_EXPORT int32_t IR_请求入群(const char*, int32_t, const char*, const char*, const char*, const char*) {
  return ignoredMessage();
}

IR_EXPORT int32_t IR_DestroyPlugin(void) { return 0; }

IR_EXPORT const char* QQ_获取昵称(const char* qq) {
  bool found = plugin::guarded(false, [&] {
    const std::string number = copied(qq);
    // An empty QQ is asked for as it is (the service answers nothing); any other text must be a
    // plain number, since it goes into the service's address.
    if (!number.empty() && !text::isPlainNumber(number)) {
      hostapi::hostApi().OutPutLog(text::gbk("朔禾引流插件：查询昵称的QQ号不是数字，未查询。"));
      retainedNickname.clear();
      return true;
    }
    std::string nickname = net::NicknameLookup(number);
    retainedNickname = std::move(nickname);
    return true;
  });
  return found ? retainedNickname.c_str() : "";
}

}  // extern "C"

// The GBK spellings of the two Chinese names: IR_请求入群 is 49 52 5F C7 EB C7 F3 C8 EB C8 BA and
// QQ_获取昵称 is 51 51 5F BB F1 C8 A1 EA C7 B3 C6.
IR_EXPORT int32_t requestJoinGbk(const char* a, int32_t b, const char* c, const char* d, const char* e,
                                 const char* f) __asm__("IR_\xC7\xEB\xC7\xF3\xC8\xEB\xC8\xBA");
IR_EXPORT int32_t requestJoinGbk(const char* a, int32_t b, const char* c, const char* d, const char* e,
                                 const char* f) {
  return IR_请求入群(a, b, c, d, e, f);
}

IR_EXPORT const char* nicknameGbk(const char* qq) __asm__("QQ_\xBB\xF1\xC8\xA1\xEA\xC7\xB3\xC6");
IR_EXPORT const char* nicknameGbk(const char* qq) { return QQ_获取昵称(qq); }
