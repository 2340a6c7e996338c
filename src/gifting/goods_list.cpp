#include "gifting/goods_list.h"

#include "net/http_fetch.h"
#include "parse/regex_matcher.h"
#include "parse/unescape.h"
#include "text/gbk.h"
#include "text/search.h"

namespace gifting {

namespace {

std::string get(const std::string& url) {
  net::HttpRequest request;
  request.url = url;
  return net::HttpFetch(request);
}

}  // namespace

std::string normaliseAddress(const std::string& address) {
  if (text::containsText(address, "http")) return address;
  return "http://" + address;
}

GoodsList parseYileGoods(const std::string& reply) {
  // "#引号" stands for a double quote; letter case ignored, single line, every match.
  static const std::string pattern = "goodsid#引号:(.*?),#引号name#引号:#引号(.*?)#引号,";
  GoodsList list;
  parse::RegexMatcher matcher;
  if (!matcher.Create(text::gbk(pattern), parse::UnescapeText(reply), /*caseSignificant=*/false,
                      /*multiLine=*/false, /*global=*/true, /*quotePlaceholder=*/true)) {
    list.patternFailed = true;
    return list;
  }
  const int count = list.matches = matcher.MatchCount();
  list.names.reserve(std::size_t(count));
  list.ids.reserve(std::size_t(count));
  for (int i = 1; i <= count; ++i) {
    list.names.push_back(matcher.SubmatchText(i, 2));
    list.ids.push_back(matcher.SubmatchText(i, 1));
  }
  return list;
}

GoodsList parseJiuwuGoods(const std::string& page) {
  // Two alternatives: a link query closed by a double quote and ">", or an image's alt text
  // followed by a blank and title. Letter case ignored, multiline, every match.
  static const std::string pattern = "id=(.*?)&goods_type=(.*?)#引号>|alt=#引号(.*?)#引号 title";
  GoodsList list;
  parse::RegexMatcher matcher;
  if (!matcher.Create(text::gbk(pattern), page, /*caseSignificant=*/false, /*multiLine=*/true,
                      /*global=*/true, /*quotePlaceholder=*/true)) {
    list.patternFailed = true;
    return list;
  }
  const int count = list.matches = matcher.MatchCount();
  for (int i = 1; i <= count; ++i) {
    std::string name = matcher.SubmatchText(i, 3), id = matcher.SubmatchText(i, 1),
                type = matcher.SubmatchText(i, 2);
    if (!name.empty()) list.names.push_back(std::move(name));
    if (!id.empty()) list.ids.push_back(std::move(id));
    if (!type.empty()) list.types.push_back(std::move(type));
  }
  return list;
}

GoodsList fetchYileGoods(const std::string& address) {
  return parseYileGoods(get(address + "/api/web/getGoodsList.html"));
}

GoodsList fetchJiuwuGoods(const std::string& address) { return parseJiuwuGoods(get(address + "/index.php")); }

}  // namespace gifting
