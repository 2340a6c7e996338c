#include "net/image_text_check.h"

#include "config/config_store.h"
#include "net/http_lite.h"
#include "parse/json_object.h"
#include "text/gbk.h"
#include "text/search.h"

namespace net {

namespace {

const char kBoundary[] = "2ac82af7-ef49-404b-8717-f4f9bd7e9f47";
// Uploading a picture and having it read takes longer than an ordinary request.
constexpr std::chrono::milliseconds kUploadDeadline{60000};

// The multipart body with the picture in the place of "图片" in the template; only the template
// is searched, so picture bytes that look like the placeholder are sent as they are.
std::string multipartBody(const std::string& picture) {
  static const std::string templateText =
      text::gbk(std::string("--") + kBoundary + "\r\n" +
                "Content-Disposition:form-data; name=\"pic\"; filename=\"1499218399351408d5c68463b2705.jpg\"\r\n" +
                "Content-Type:image/pjpeg\r\n\r\n" + "图片" + "\r\n--" + kBoundary + "--");
  static const std::string placeholder = text::gbk("图片");
  const std::size_t at = text::findText(templateText, placeholder);
  return templateText.substr(0, at) + picture + templateText.substr(at + placeholder.size());
}

}  // namespace

std::string ImageTextCheck(const std::string& pictureBytes) {
  try {
    const std::string base = config::serviceAddress(config::Service::TextRecognition);
    if (base.empty()) return {};  // no service configured: nothing is recognised, nothing is sent

    std::string headers = std::string("Content-Type: multipart/form-data;boundary=") + kBoundary;
    std::string body = multipartBody(pictureBytes);
    LiteRequest request;
    request.url = base + "/v2/ocr/json";
    request.method = 1;
    request.headers = &headers;
    request.bodyBytes = &body;
    request.deadline = kUploadDeadline;
    const std::string reply = text::utf8ToGbk(HttpLite(request));

    parse::JsonObject json;
    if (!json.Parse(reply)) return {};
    std::string result;
    const int n = json.MemberCount("result");
    for (int i = 0; i < n; ++i)
      result += "\r\n" + json.PropertyText("result[" + std::to_string(i) + "].content");
    return result;
  } catch (...) {
    return {};
  }
}

}  // namespace net
