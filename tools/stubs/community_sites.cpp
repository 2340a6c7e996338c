#include "stubs/community_sites.h"

#include <openssl/evp.h>

#include <cstdio>

#include "text/gbk.h"

namespace stubs {

namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string percentDecode(const std::string& s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '+') {
      out += ' ';
    } else if (s[i] == '%' && i + 2 < s.size() && hexValue(s[i + 1]) >= 0 && hexValue(s[i + 2]) >= 0) {
      out += static_cast<char>(hexValue(s[i + 1]) * 16 + hexValue(s[i + 2]));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
  std::string out;
  char two[3];
  for (unsigned int i = 0; i < length; ++i) {
    std::snprintf(two, sizeof two, "%02x", digest[i]);
    out += two;
  }
  return out;
}

StubAnswer jsonAnswer(const std::string& body) {
  return answerWith(body, {{"Content-Type", "application/json; charset=utf-8"}});
}

StubAnswer plainAnswer(int status, const std::string& reason) {
  StubAnswer a;
  a.status = status;
  a.reason = reason;
  a.body = reason;
  return a;
}

// The query of a target as name=value pairs.
std::map<std::string, std::string> queryOf(const std::string& target) {
  std::map<std::string, std::string> q;
  const std::size_t mark = target.find('?');
  if (mark == std::string::npos) return q;
  for (const auto& [name, value] : decodeForm(target.substr(mark + 1))) q.emplace(name, value);
  return q;
}

SiteOrder orderOf(const RecordedRequest& request) {
  SiteOrder order;
  order.target = request.target;
  order.body = request.body;
  order.fields = decodeForm(request.body);
  return order;
}

}  // namespace

std::string SiteOrder::field(const std::string& name) const {
  for (const auto& [k, v] : fields)
    if (k == name) return v;
  return {};
}

std::vector<std::pair<std::string, std::string>> decodeForm(const std::string& body) {
  std::vector<std::pair<std::string, std::string>> fields;
  std::size_t start = 0;
  while (start <= body.size()) {
    std::size_t end = body.find('&', start);
    if (end == std::string::npos) end = body.size();
    const std::string item = body.substr(start, end - start);
    if (!item.empty()) {
      const std::size_t eq = item.find('=');
      if (eq == std::string::npos) {
        fields.emplace_back(percentDecode(item), "");
      } else {
        fields.emplace_back(percentDecode(item.substr(0, eq)), percentDecode(item.substr(eq + 1)));
      }
    }
    start = end + 1;
  }
  return fields;
}

std::string jsonEscapeGbk(const std::string& gbk) {
  const std::string utf8 = text::gbkToUtf8(gbk);
  std::string out;
  char unit[16];
  auto emit = [&](unsigned value) {
    std::snprintf(unit, sizeof unit, "\\u%04x", value);
    out += unit;
  };
  for (std::size_t i = 0; i < utf8.size();) {
    const unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      if (c == '"' || c == '\\') out += '\\';
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    const int length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    unsigned cp = c & (length == 4 ? 0x07 : length == 3 ? 0x0F : 0x1F);
    for (int k = 1; k < length && i + k < utf8.size(); ++k) cp = (cp << 6) | (utf8[i + k] & 0x3F);
    i += length;
    if (cp >= 0x10000) {
      cp -= 0x10000;
      emit(0xD800 + (cp >> 10));
      emit(0xDC00 + (cp & 0x3FF));
    } else {
      emit(cp);
    }
  }
  return out;
}

std::string yileGoodsJson(const std::vector<SiteGoods>& goods) {
  std::string out = "{\"code\":0,\"message\":\"ok\",\"data\":[";
  for (std::size_t i = 0; i < goods.size(); ++i) {
    if (i) out += ',';
    out += "{\"goodsid\":" + goods[i].id + ",\"name\":\"" + jsonEscapeGbk(goods[i].name) +
           "\",\"price\":\"0.01\",\"minbuy\":\"10\"}";
  }
  return out + "]}";
}

std::string jiuwuGoodsPage(const std::vector<SiteGoods>& goods) {
  std::string page = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" +
                     text::gbkToUtf8(text::gbk("商品列表")) + "</title></head>\n<body>\n<ul class=\"goods\">\n";
  for (const SiteGoods& g : goods) {
    const std::string name = text::gbkToUtf8(g.name);
    page += "<li><a href=\"/index.php?m=home&c=goods&a=detail&id=" + g.id + "&goods_type=" + g.type +
            "\"><img src=\"/static/goods/" + g.id + ".png\" alt=\"" + name + "\" title=\"" + name +
            "\"></a></li>\n";
  }
  return page + "</ul>\n</body></html>\n";
}

// ---- 亿乐 ----

YileSite::YileSite(std::string account, std::string password)
    : account_(std::move(account)), password_(std::move(password)) {
  goodsPage_ = yileGoodsJson({{"101", text::gbk("QQ名片赞 10个"), ""},
                              {"102", text::gbk("QQ名片赞 100个"), ""},
                              {"103", text::gbk("QQ空间访客"), ""}});
  server_.on("/api/web/order.html", [this](const RecordedRequest& r) { return answer(r); });
  server_.on("/api/web/getGoodsList.html", [this](const RecordedRequest&) {
    std::lock_guard<std::mutex> lock(mutex_);
    return jsonAnswer(goodsPage_);
  });
}

void YileSite::setGoods(const std::vector<SiteGoods>& goods) { setGoodsPage(yileGoodsJson(goods)); }

void YileSite::setGoodsPage(const std::string& body) {
  std::lock_guard<std::mutex> lock(mutex_);
  goodsPage_ = body;
}

void YileSite::answerNext(const std::string& codeText, const std::string& gbkMessage) {
  answerNextRaw("{\"code\":" + codeText + ",\"message\":\"" + jsonEscapeGbk(gbkMessage) + "\"}");
}

void YileSite::answerNextRaw(const std::string& body) {
  std::lock_guard<std::mutex> lock(mutex_);
  scripted_.push_back(body);
}

std::vector<SiteOrder> YileSite::orders() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return orders_;
}

StubAnswer YileSite::answer(const RecordedRequest& request) {
  if (request.method != "POST") return plainAnswer(405, "Method Not Allowed");
  SiteOrder order = orderOf(request);
  std::lock_guard<std::mutex> lock(mutex_);
  std::string body;
  if (!scripted_.empty()) {
    body = scripted_.front();
    scripted_.pop_front();
  } else if (order.field("api_user") == account_ && order.field("api_pwd") == password_) {
    order.accepted = true;
    body = "{\"code\":0,\"message\":\"" + jsonEscapeGbk(text::gbk("下单成功")) + "\",\"data\":{\"num\":\"" +
           jsonEscapeGbk(order.field("number")) + "\"}}";
  } else {
    body = "{\"code\":-1,\"message\":\"" + jsonEscapeGbk(text::gbk("账号或密码错误")) + "\"}";
  }
  orders_.push_back(std::move(order));
  return jsonAnswer(body);
}

// ---- 玖伍 ----

JiuwuSite::JiuwuSite(std::string account, std::string password)
    : account_(std::move(account)), passwordMd5_(md5Hex(password)) {
  goodsPage_ = jiuwuGoodsPage({{"12", text::gbk("名片赞（余额）"), "3"},
                               {"13", text::gbk("名片赞（点数）"), "4"},
                               {"15", text::gbk("空间人气"), "1"}});
  server_.on("/index.php", [this](const RecordedRequest& r) { return answer(r); });
}

void JiuwuSite::setGoods(const std::vector<SiteGoods>& goods) { setGoodsPage(jiuwuGoodsPage(goods)); }

void JiuwuSite::setGoodsPage(const std::string& body) {
  std::lock_guard<std::mutex> lock(mutex_);
  goodsPage_ = body;
}

void JiuwuSite::failNext(const std::string& gbkMessage) {
  answerNextRaw("{\"status\":0,\"msg\":\"" + jsonEscapeGbk(gbkMessage) + "\"}");
}

void JiuwuSite::answerNextRaw(const std::string& body) {
  std::lock_guard<std::mutex> lock(mutex_);
  scripted_.push_back(body);
}

std::vector<SiteOrder> JiuwuSite::orders() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return orders_;
}

StubAnswer JiuwuSite::answer(const RecordedRequest& request) {
  const auto query = queryOf(request.target);
  if (request.method == "GET" && query.empty()) {
    std::lock_guard<std::mutex> lock(mutex_);
    return answerWith(goodsPage_, {{"Content-Type", "text/html; charset=utf-8"}});
  }
  auto is = [&](const char* name, const char* value) {
    const auto it = query.find(name);
    return it != query.end() && it->second == value;
  };
  if (!is("m", "home") || !is("c", "order") || !is("a", "add")) return plainAnswer(404, "Not Found");
  if (request.method != "POST") return plainAnswer(405, "Method Not Allowed");
  SiteOrder order = orderOf(request);
  std::lock_guard<std::mutex> lock(mutex_);
  std::string body;
  if (!scripted_.empty()) {
    body = scripted_.front();
    scripted_.pop_front();
  } else if (order.field("Api_UserName") == account_ && order.field("Api_UserMd5Pass") == passwordMd5_) {
    order.accepted = true;
    body = "{\"status\":1,\"msg\":\"\\u4e0b\\u5355\\u6210\\u529f\\uff01\",\"id\":\"" +
           std::to_string(nextOrderNumber_++) + "\",\"af\":\"0\"}";
  } else {
    body = "{\"status\":0,\"msg\":\"" + jsonEscapeGbk(text::gbk("用户名或密码错误")) + "\"}";
  }
  orders_.push_back(std::move(order));
  return jsonAnswer(body);
}

}  // namespace stubs
