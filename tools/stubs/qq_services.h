// Stand-ins for QQ's portrait and avatar services and for the image text recognition service,
// each installed on a StubServer (one server may carry all three). Their state is shared with the
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

}  // namespace stubs
