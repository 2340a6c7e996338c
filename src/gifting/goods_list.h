// Goods lists of the two community site families, fetched for the settings window's goods choosers.
//
// A 亿乐 site lists its goods as JSON at "/api/web/getGoodsList.html": the \uXXXX escapes of the
// reply are decoded, then every `goodsid":<id>,"name":"<name>",` gives one goods, in reply order.
// A 玖伍 site's goods page "/index.php" is HTML read as received: every link query
// `id=<id>&goods_type=<type>">` gives an id and a type, every image text `alt="<name>" title` a
// name, each list in page order, so the k-th name goes with the k-th id and type. Both requests are
// plain GETs through HttpFetch; a failed request reads as an empty reply, which has no goods.
// Texts are GBK.
#pragma once

#include <string>
#include <vector>

namespace gifting {

struct GoodsList {
  bool patternFailed = false;  // the expression could not be created (then every list is empty)
  int matches = 0;             // matches of the expression; 0 means the reply had no goods
  std::vector<std::string> names;
  std::vector<std::string> ids;    // 亿乐: ids[k] belongs to names[k]
  std::vector<std::string> types;  // 玖伍 only
};

// A site address as the operator typed it: without "http" anywhere in it (letter case significant)
// it gains "http://" in front; otherwise it is returned unchanged.
std::string normaliseAddress(const std::string& address);

// `address` is used as given (normalise it first).
GoodsList fetchYileGoods(const std::string& address);
GoodsList fetchJiuwuGoods(const std::string& address);

// The parsing steps alone: a 亿乐 reply before unescaping, a 玖伍 page as received.
GoodsList parseYileGoods(const std::string& reply);
GoodsList parseJiuwuGoods(const std::string& page);

}  // namespace gifting
