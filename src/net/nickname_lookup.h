// NicknameLookup: a QQ number's nickname from the portrait service (address from 服务地址/昵称服务),
// "" when none could be found. Asks the service on every call.
#pragma once

#include <string>

namespace net {

std::string NicknameLookup(const std::string& qq);

}  // namespace net
