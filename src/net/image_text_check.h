// ImageTextCheck: uploads a picture to the text recognition service (服务地址/文字识别服务) and
// returns one CR LF + text per recognised block, "" when nothing was recognised. With no service
// address configured it makes no request and returns "". The upload may take up to 60 s (a longer
// deadline than other requests); a reply is read up to the usual body cap.
#pragma once

#include <string>

namespace net {

std::string ImageTextCheck(const std::string& pictureBytes);

}  // namespace net
