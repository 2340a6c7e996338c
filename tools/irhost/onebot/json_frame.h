// Reading one frame of a peer as JSON, bounded: deep nesting is refused before parsing so that a
// hostile frame cannot exhaust the stack later (copying and printing a value recurse). Nothing throws.
#pragma once

#include <nlohmann/json.hpp>

#include <optional>
#include <string_view>

namespace onebot {

inline constexpr int kMaxJsonDepth = 64;

std::optional<nlohmann::json> readJson(std::string_view utf8);

// The text of a number or a digit string (QQ, group and message numbers are sent either way);
// "" for anything else. Negative numbers keep their sign.
std::string numberText(const nlohmann::json& value);

// True for 1 to 20 decimal digits and nothing else: the only text taken as a QQ or robot number
// where one is placed into a code or a header.
bool isQqNumber(std::string_view s);

}  // namespace onebot
