#include "ui/update_notice.h"

#include <atomic>

#include "config/config_store.h"
#include "hostapi/host_api.h"
#include "net/http_fetch.h"
#include "text/gbk.h"
#include "text/search.h"

namespace ui {

namespace {

std::atomic<bool> notified{false};

std::string get(const char* path, bool okOnly) {
  const std::string service = config::serviceAddress(config::Service::Update);
  if (service.empty()) return {};
  net::HttpRequest request;
  request.url = service + path;
  net::HttpResponse response;
  std::string body = net::HttpFetch(request, &response);
  if (okOnly && response.status.rfind("200", 0) != 0) return {};
  return body;
}

}  // namespace

std::optional<UpdateInfo> parseUpdateText(const std::string& text) {
  static const std::string marker = text::gbk("苍梧");
  if (!text::containsText(text, marker)) return std::nullopt;
  // A text file usually ends in a line break, which is no part of the download address.
  const std::size_t end = text.find_last_not_of(" \t\r\n");
  const std::vector<std::string> parts = text::splitPieces(std::string_view(text).substr(0, end + 1), "#");
  if (parts.size() <= 4) return std::nullopt;
  return UpdateInfo{parts[1], parts[2], parts[3], parts[4]};
}

std::string fetchUpdateText() { return get("/pro/probbh.txt", false); }
std::string fetchUpdateLog() { return get("/pro/changelog.html", true); }

bool takeUpdateNotice() { return !notified.exchange(true); }
void resetUpdateNotice() { notified = false; }

void sendUpdateMessage(const std::string& owner, const std::string& address) {
  static const std::string lead = text::gbk("苍梧引流插件更新下载地址");
  hostapi::HostApi& host = hostapi::hostApi();
  host.SendMsg(host.GetQQList(), 1, "111", owner, lead + address, 1);
}

}  // namespace ui
