// The URL parts and the form encoding over arbitrary bytes: the host's ASCII letters are lower case, the path
// starts with "/", the port is never negative, and an encoded value holds only unreserved bytes
// and escapes.
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/http_fetch.h"
#include "net/http_lite.h"
#include "text/search.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string url(reinterpret_cast<const char*>(data), size);
  const std::string host = net::UrlHost(url);
  if (host != text::asciiLower(host)) std::abort();
  if (host.find('/') != std::string::npos) std::abort();
  if (net::UrlPort(url) < 0) std::abort();
  const std::string path = net::UrlPath(url);
  if (path.empty() || path[0] != '/') std::abort();

  const std::string encoded = net::formEncode(url);
  for (size_t i = 0; i < encoded.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(encoded[i]);
    const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                       c == '-' || c == '_' || c == '.' || c == '~';
    if (plain) continue;
    if (c != '%' || i + 2 >= encoded.size() || !std::isxdigit(static_cast<unsigned char>(encoded[i + 1])) ||
        !std::isxdigit(static_cast<unsigned char>(encoded[i + 2])))
      std::abort();
    i += 2;
  }
  return 0;
}
