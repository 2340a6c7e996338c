// Stand-ins for QQ's portrait and avatar services, the image text recognition service and the
// makers' update service, each installed on a StubServer (one server may carry all four). Their state is shared with the
// handlers, so an object may go before its server does.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "stubs/stub_server.h"

namespace stubs {

// "/fcg-bin/cgi_get_portrait.fcg?uins=N" answers, in GBK, the shape of QQ's portrait service:
//   portraitCallBack({"N":["http://<avatar>",0,0,0,0,0,0,0,"<nickname>",0]})
// with the nickname set for N, "" for a number without one.
class PortraitService {
 public:
  explicit PortraitService(StubServer& server);
  void setNickname(const std::string& qq, const std::string& gbkNickname);

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// "/headimg_dl?dst_uin=N&spec=S&img_type=jpg" answers a small JPEG-like picture (image/jpeg) that
// differs per QQ number: see pictureFor.
class AvatarService {
 public:
  explicit AvatarService(StubServer& server);
  static std::string pictureFor(const std::string& qq);  // FF D8 FF E0 ... N ... FF D9
};

// "/v2/ocr/json" answers UTF-8 JSON {"result":[{"content":"..."},...]}: the texts of the first
// script entry whose marker occurs in the uploaded body, or an empty "result" array.
class RecognitionService {
 public:
  explicit RecognitionService(StubServer& server);
  void addTexts(const std::string& marker, std::vector<std::string> utf8Texts);
  void clear();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

// "/pro/probbh.txt" answers the update text (GBK, as set; 404 until one is set) and
// "/pro/changelog.html" the update log page (GBK HTML, as set; 404 until one is set).
class UpdateService {
 public:
  explicit UpdateService(StubServer& server);
  void setUpdateText(const std::string& gbkText);
  void setChangeLog(const std::string& gbkHtml);

  // An update text in the service's form: marker, version number, name, date, address.
  static std::string updateText(const std::string& version, const std::string& gbkName,
                                const std::string& gbkDate, const std::string& address);

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace stubs
