// Stand-ins for the two families of like-selling community sites, on top of StubServer.
//
// YileSite answers POST /api/web/order.html the way a 亿乐 site does: a JSON object
// {"code":<code>,"message":"<text with \uXXXX escapes>"}. An order whose api_user and api_pwd
// match the site's account is accepted (code 0, 下单成功); a wrong account gets code -1. The next
// answers can be scripted (a code text inserted as is, a message) or given raw.
//
// JiuwuSite answers POST /index.php?m=home&c=order&a=add the way a 玖伍 site does: on success
// {"status":1,"msg":"\u4e0b\u5355\u6210\u529f\uff01","id":"<order number>","af":"0"} with order
// numbers from 12345 up; an account or MD5 password that does not match gets a failure reply
// without that text. The next answers can be scripted as failures or given raw.
//
// Both also list their goods. YileSite answers GET /api/web/getGoodsList.html with a JSON list
// {"code":0,"data":[{"goodsid":<id>,"name":"<name with \uXXXX escapes>","price":"0.01"},...]};
// JiuwuSite answers GET /index.php (no query) with a UTF-8 HTML page declaring its charset, with a
// link "...?id=<id>&goods_type=<type>"> and an image alt="<name>" title="<name>" per goods. Each
// starts with three goods of its own; setGoods replaces them (setGoodsPage gives the page raw).
//
// Both record every order they received with its form fields percent-decoded (GBK bytes). All
// members are safe to call while requests are served.
#pragma once

#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "stubs/stub_server.h"

namespace stubs {

struct SiteOrder {
  std::string target;                                        // as sent
  std::string body;                                          // raw form body
  std::vector<std::pair<std::string, std::string>> fields;  // decoded, in order
  std::string field(const std::string& name) const;         // first value, "" when absent
  bool accepted = false;                                     // the site answered success
};

struct SiteGoods {
  std::string id;
  std::string name;  // GBK
  std::string type;  // 玖伍 only
};

// The goods list and goods page the stand-ins serve (also for benchmarks).
std::string yileGoodsJson(const std::vector<SiteGoods>& goods);
std::string jiuwuGoodsPage(const std::vector<SiteGoods>& goods);

// Splits a form body at "&" and decodes each name and value ("+" is a blank, %XX a byte).
std::vector<std::pair<std::string, std::string>> decodeForm(const std::string& body);

// The GBK text as the body of a JSON string, every non-ASCII character written as \uXXXX
// (lower-case hex), the way the sites escape their messages.
std::string jsonEscapeGbk(const std::string& gbk);

class YileSite {
 public:
  YileSite(std::string account, std::string password);
  std::string baseUrl() const { return server_.baseUrl(); }
  StubServer& server() { return server_; }

  // The next order is answered with this code text (as is, so " 0" or "\"0\"" can be sent) and
  // message (GBK), whatever the credentials.
  void answerNext(const std::string& codeText, const std::string& gbkMessage);
  // The next order is answered with this body as is.
  void answerNextRaw(const std::string& body);

  std::vector<SiteOrder> orders() const;

  void setGoods(const std::vector<SiteGoods>& goods);
  void setGoodsPage(const std::string& body);

 private:
  StubAnswer answer(const RecordedRequest& request);

  std::string account_, password_;
  mutable std::mutex mutex_;
  std::deque<std::string> scripted_;  // raw bodies
  std::vector<SiteOrder> orders_;
  std::string goodsPage_;
  StubServer server_;  // last: it stops before the members its handler uses go
};

class JiuwuSite {
 public:
  JiuwuSite(std::string account, std::string password);
  std::string baseUrl() const { return server_.baseUrl(); }
  StubServer& server() { return server_; }

  // The next order fails with this message (GBK, escaped in the reply).
  void failNext(const std::string& gbkMessage);
  // The next order is answered with this body as is.
  void answerNextRaw(const std::string& body);

  std::vector<SiteOrder> orders() const;

  void setGoods(const std::vector<SiteGoods>& goods);
  void setGoodsPage(const std::string& body);

 private:
  StubAnswer answer(const RecordedRequest& request);

  std::string account_, passwordMd5_;
  mutable std::mutex mutex_;
  std::deque<std::string> scripted_;
  std::string goodsPage_;
  std::vector<SiteOrder> orders_;
  int nextOrderNumber_ = 12345;
  StubServer server_;
};

}  // namespace stubs
