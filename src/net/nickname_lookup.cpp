#include "net/nickname_lookup.h"

#include "config/config_store.h"
#include "net/http_fetch.h"
#include "text/text_between.h"

namespace net {

std::string NicknameLookup(const std::string& qq) {
  const std::string base = config::serviceAddress(config::Service::Portrait);
  if (base.empty()) return {};
  HttpRequest request;
  request.url = base + "/fcg-bin/cgi_get_portrait.fcg?uins=" + qq;
  // The reply is JavaScript of the shape portraitCallBack({"N":["<avatar>",0,...,"<nick>",0]}):
  // the first ," opens the nickname. It is taken as it stands, escapes and all.
  return text::TextBetween(HttpFetch(request), ",\"", "\",");
}

}  // namespace net
