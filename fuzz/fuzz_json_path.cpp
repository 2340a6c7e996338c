// JSON reading by path. The input is a JSON text, then after the last line feed a path. Besides
// surviving anything, a value that was read must serialise to a text that reads back to the same
// serialisation.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "parse/json_object.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t cut = input.rfind('\n');
  const std::string json = cut == std::string::npos ? input : input.substr(0, cut);
  const std::string path = cut == std::string::npos ? std::string() : input.substr(cut + 1);

  parse::JsonObject j;
  const bool parsed = j.Parse(json);
  (void)j.MemberCount(path);
  (void)j.PropertyText(path);
  (void)j.PropertyText(path, true);
  (void)j.TypeOf(path);
  std::vector<std::string> keys;
  (void)j.Keys(keys, path);
  const parse::JsonObject part = j.PropertyObject(path);
  (void)part.ToJson();
  (void)j.MemberText(0, path, true);
  if (!parsed) return 0;

  const std::string once = j.ToJson();
  parse::JsonObject again;
  if (!again.Parse(once) || again.ToJson() != once) std::abort();
  return 0;
}
