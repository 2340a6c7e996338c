// The cookie-jar update and the cookie list of a response head over arbitrary bytes. The input up
// to the first line feed is the jar, the rest the received list; the whole input is also read as
// a response head. The merged jar must hold no empty, deleted or repeated item.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/http_fetch.h"
#include "text/search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.find('\n');
  std::string jar = cut == std::string::npos ? input : input.substr(0, cut);
  const std::string received = cut == std::string::npos ? std::string() : input.substr(cut + 1);

  const std::string merged = net::CookieMerge(jar, received);
  if (merged != jar) std::abort();
  const auto items = text::splitPieces(merged, "; ");
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string& item = items[i];
    if (item.empty() || item.find(' ') != std::string::npos) std::abort();
    if (item.size() >= 8 && item.compare(item.size() - 8, 8, "=deleted") == 0) std::abort();
    for (size_t j = 0; j < i; ++j)
      if (items[j] == item) std::abort();
  }

  const std::string cookies = net::cookiesFromHeaders(input);
  if (cookies.size() >= 2 && cookies.compare(cookies.size() - 2, 2, "; ") == 0) std::abort();
  (void)net::cookiesFromHeaders(input, "base=1");
  return 0;
}
