#include "onebot/json_frame.h"

namespace onebot {

namespace {

bool nestingWithin(std::string_view s, int limit) {
  int depth = 0;
  bool inString = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (inString) {
      if (c == '\\') ++i;
      else if (c == '"') inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

}  // namespace

std::optional<nlohmann::json> readJson(std::string_view utf8) {
  if (!nestingWithin(utf8, kMaxJsonDepth)) return std::nullopt;
  auto value = nlohmann::json::parse(utf8, nullptr, false);
  if (value.is_discarded()) return std::nullopt;
  return value;
}

std::string numberText(const nlohmann::json& value) {
  if (value.is_number_integer()) return value.dump();
  if (value.is_string()) {
    const auto& s = value.get_ref<const std::string&>();
    if (s.empty() || s.size() > 20) return "";
    for (std::size_t i = 0; i < s.size(); ++i)
      if (!(s[i] >= '0' && s[i] <= '9') && !(i == 0 && s[i] == '-' && s.size() > 1)) return "";
    return s;
  }
  return "";
}

bool isQqNumber(std::string_view s) {
  if (s.empty() || s.size() > 20) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace onebot
