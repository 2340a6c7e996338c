// The update notice: the latest version as the makers' update service tells it, the log page of
// that service, and the one notice per loaded plug-in.
//
// The service's base address is 服务地址/更新服务 of the core file; without one nothing is asked
// and both texts are "". The update text counts only when it holds the marker word "苍梧"; split
// at "#", its parts 2 to 5 are the latest version number, its name, its date and the download
// address (blanks and line breaks ending the text are not part of it), and a text of four parts or
// fewer counts for nothing. GBK throughout.
#pragma once

#include <optional>
#include <string>

namespace ui {

struct UpdateInfo {
  std::string version, name, date, address;
};

std::optional<UpdateInfo> parseUpdateText(const std::string& text);

// GET <service> + "/pro/probbh.txt": the body, "" without a service or when the request failed.
std::string fetchUpdateText();
// GET <service> + "/pro/changelog.html": the body of a 200 answer, else "".
std::string fetchUpdateLog();

// The notified flag: true for the first caller while the plug-in stays loaded, false after.
bool takeUpdateNotice();
// The flag as at load (a fresh plug-in; for tests).
void resetUpdateNotice();

// "苍梧引流插件更新下载地址" + address to the owner, as a private message from the first robot.
void sendUpdateMessage(const std::string& owner, const std::string& address);

}  // namespace ui
