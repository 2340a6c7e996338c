// Escape decoding over arbitrary bytes: never crashes, and the protective marks never leak out.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "parse/unescape.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string out = parse::UnescapeText(input);
  // Nothing is decoded without an escape sign or a backslash, so such an input may only lose a
  // leading CR and change marks into what they stand for.
  if (input.find_first_of("%\\\n\r") == std::string::npos && input.find('{') == std::string::npos &&
      out.size() > input.size())
    std::abort();
  return 0;
}
