#include "onebot/auth.h"

#include "text/search.h"

namespace onebot {

namespace {

// Compares every byte of the longer text; only the lengths' difference and the accumulated
// difference decide, never an early exit.
bool sameBytes(std::string_view given, std::string_view wanted) {
  unsigned diff = given.size() == wanted.size() ? 0u : 1u;
  const std::size_t n = given.size() > wanted.size() ? given.size() : wanted.size();
  for (std::size_t i = 0; i < n; ++i) {
    const unsigned char a = i < given.size() ? static_cast<unsigned char>(given[i]) : 0;
    const unsigned char b = i < wanted.size() ? static_cast<unsigned char>(wanted[i]) : 0;
    diff |= static_cast<unsigned>(a ^ b);
  }
  return diff == 0;
}

}  // namespace

bool authorizationMatches(std::string_view authorization, std::string_view token) {
  if (token.empty()) return true;
  const std::size_t space = authorization.find(' ');
  if (space == std::string_view::npos) return false;
  const std::string scheme = text::asciiLower(authorization.substr(0, space));
  if (scheme != "bearer" && scheme != "token") return false;
  std::string_view given = authorization.substr(space + 1);
  while (!given.empty() && given.front() == ' ') given.remove_prefix(1);
  while (!given.empty() && given.back() == ' ') given.remove_suffix(1);
  return sameBytes(given, token);
}

std::string bearerValue(std::string_view token) { return "Bearer " + std::string(token); }

}  // namespace onebot
