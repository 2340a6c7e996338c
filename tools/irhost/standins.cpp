#include "standins.h"

#include <map>
#include <mutex>
#include <ostream>

#include "display.h"
#include "stubs/community_sites.h"
#include "stubs/qq_services.h"
#include "stubs/stub_server.h"
#include "text/gbk.h"

namespace irhost {

namespace {

// A picture that looks like a JPEG and carries its own name, so that the recognition stand-in can
// tell the pictures apart by their bytes.
std::string pictureBytes(const std::string& name) {
  static const char start[] = {'\xFF', '\xD8', '\xFF', '\xE0', '\x00', '\x10', 'J', 'F', 'I', 'F', '\x00'};
  return std::string(start, sizeof start) + "picture " + name + std::string("\xFF\xD9", 2);
}

std::string pathOf(const std::string& target) { return target.substr(0, target.find('?')); }

// A request as one line: its request line, and its body when that is text worth reading.
std::string requestLine(const stubs::RecordedRequest& r, bool showBody) {
  std::string line = r.method + " " + shown(r.target);
  if (!r.body.empty()) line += showBody ? " " + shown(r.body) : " (" + std::to_string(r.body.size()) + " bytes)";
  return line;
}

}  // namespace

struct StandIns::Impl {
  // Before the servers: the picture handler uses them until its server has stopped.
  std::mutex mu;
  std::map<std::string, std::string> pictures;  // path → bytes

  stubs::StubServer portraitServer, avatarServer, recognitionServer, pictureServer, updateServer;
  stubs::PortraitService portrait{portraitServer};
  stubs::AvatarService avatar{avatarServer};
  stubs::RecognitionService recognition{recognitionServer};
  stubs::UpdateService update{updateServer};
  stubs::YileSite yile{kSiteAccount, kSitePassword};
  stubs::JiuwuSite jiuwu{kSiteAccount, kSitePassword};

  std::vector<std::pair<std::string, std::string>> addresses;

  struct Watched {
    const char* name;
    stubs::StubServer* server;
    bool showBody;
    std::size_t seen = 0;
  };
  std::vector<Watched> watched;
  std::size_t yileOrdersSeen = 0, jiuwuOrdersSeen = 0;

  Impl() {
    // A newer version than the plug-in's, so that a settings window opened in the session shows
    // its update notice and the change log on its update page.
    update.setUpdateText(stubs::UpdateService::updateText("10005", text::gbk("朔禾引流插件"), text::gbk("2026年12月1日"),
                                                          updateServer.baseUrl() + "/pro/download.html"));
    update.setChangeLog(text::gbk("<html><body><h3>更新日志</h3><p>10005：示例更新，由本机的更新服务替身提供。</p></body></html>"));
    pictureServer.on("", [this](const stubs::RecordedRequest& r) {
      stubs::StubAnswer a;
      std::lock_guard<std::mutex> lock(mu);
      auto it = pictures.find(pathOf(r.target));
      if (it == pictures.end()) {
        a.status = 404;
        a.reason = "Not Found";
        a.body = "no such picture";
        return a;
      }
      a.headers.emplace_back("Content-Type", "image/jpeg");
      a.body = it->second;
      return a;
    });
    // A picture is fetched before it is recognised, so PICTURES comes before RECOGNITION.
    watched = {{"PORTRAIT", &portraitServer, true}, {"AVATAR", &avatarServer, true},
               {"PICTURES", &pictureServer, true},  {"RECOGNITION", &recognitionServer, false},
               {"YILE", &yile.server(), true},      {"JIUWU", &jiuwu.server(), true},
               {"UPDATE", &updateServer, true}};
    for (const Watched& w : watched) addresses.emplace_back(w.name, w.server->baseUrl());
  }
};

StandIns::StandIns() : impl_(std::make_unique<Impl>()) {}
StandIns::~StandIns() = default;

const std::vector<std::pair<std::string, std::string>>& StandIns::addresses() const { return impl_->addresses; }

void StandIns::setNickname(const std::string& qq, const std::string& nickname) {
  impl_->portrait.setNickname(qq, nickname);
}

void StandIns::addPicture(const std::string& name, const std::vector<std::string>& utf8Texts) {
  const std::string bytes = pictureBytes(name);
  {
    std::lock_guard<std::mutex> lock(impl_->mu);
    impl_->pictures["/" + name] = bytes;
  }
  // The end of the picture is part of the mark, so a picture whose name starts with another's
  // name is not read as that other one.
  impl_->recognition.addTexts("picture " + name + std::string("\xFF\xD9", 2), utf8Texts);
}

void StandIns::printNewRequests(std::ostream& out) {
  for (Impl::Watched& w : impl_->watched) {
    const std::vector<stubs::RecordedRequest> requests = w.server->requests();
    const bool isYile = w.server == &impl_->yile.server();
    const bool isJiuwu = w.server == &impl_->jiuwu.server();
    std::vector<stubs::SiteOrder> orders;
    if (isYile) orders = impl_->yile.orders();
    if (isJiuwu) orders = impl_->jiuwu.orders();
    std::size_t& ordersSeen = isYile ? impl_->yileOrdersSeen : impl_->jiuwuOrdersSeen;
    for (; w.seen < requests.size(); ++w.seen) {
      const stubs::RecordedRequest& r = requests[w.seen];
      std::string line = "  web " + std::string(w.name) + " ← " + requestLine(r, w.showBody);
      // A site records the requests it took as orders, in arrival order; anything else it refused.
      if (isYile || isJiuwu) {
        if (ordersSeen < orders.size() && orders[ordersSeen].target == r.target && orders[ordersSeen].body == r.body) {
          line += orders[ordersSeen].accepted ? " → order accepted" : " → order refused";
          ++ordersSeen;
        } else {
          line += " → not an order";
        }
      }
      out << line << "\n";
    }
  }
  out.flush();
}

void StandIns::printOrders(std::ostream& out) const {
  struct Site {
    const char* title;
    std::vector<stubs::SiteOrder> orders;
  } sites[] = {{"YILE, the 亿乐 site", impl_->yile.orders()}, {"JIUWU, the 玖伍 site", impl_->jiuwu.orders()}};
  for (const Site& site : sites) {
    out << "  " << site.title << ": " << site.orders.size() << (site.orders.size() == 1 ? " order" : " orders")
        << "\n";
    std::size_t n = 0;
    for (const stubs::SiteOrder& o : site.orders)
      out << "    " << ++n << ". " << (o.accepted ? "accepted" : "refused ") << "  " << shown(o.body) << "\n";
  }
  out.flush();
}

}  // namespace irhost
