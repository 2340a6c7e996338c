// ImageTextCheck: uploads a picture to the text recognition service (服务地址/文字识别服务) and
// returns one CR LF + text per recognised block, "" when nothing was recognised. With no service
// address configured it makes no request and returns "".
#pragma once

#include <string>

namespace net {

std::string ImageTextCheck(const std::string& pictureBytes);

}  // namespace net
