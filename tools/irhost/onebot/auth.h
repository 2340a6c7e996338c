// The access token of a OneBot connection, carried as "Authorization: Bearer <token>".
#pragma once

#include <string>
#include <string_view>

namespace onebot {

// True when `authorization` (the header's value, "" when absent) carries `token`. With no token
// configured every peer is let in. The scheme word is "Bearer" (or "Token", which some
// implementations write), in any letter case. The comparison takes the same time whatever the
// position of the first differing byte, so the token cannot be guessed byte by byte.
bool authorizationMatches(std::string_view authorization, std::string_view token);

// The header value a client sends for `token`: "Bearer <token>".
std::string bearerValue(std::string_view token);

}  // namespace onebot
