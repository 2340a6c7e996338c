#include "gifting/xml_card.h"

#include <array>
#include <chrono>
#include <random>

#include "config/config_store.h"
#include "config/ini_file.h"
#include "text/gbk.h"
#include "text/search.h"

namespace gifting {

namespace {

const std::array<const char*, 10> kLineColours = {
    "<summary color=\"#ff00de\">", "<summary color=\"#DC267C\">", "<summary color=\"#DC810C\">",
    "<summary color=\"#000000\">", "<summary color=\"#3300CC\">", "<summary color=\"#9900CC\">",
    "<summary color=\"#CC0066\">", "<summary color=\"#CCFF33\">", "<summary color=\"#CC66CC\">",
    "<summary color=\"#FF33FF\">",
};

}  // namespace

std::string escapeXmlText(const std::string& line) {
  // None of these bytes can be the trail byte of a GBK character, so a byte scan is safe.
  std::string out;
  out.reserve(line.size());
  for (char c : line) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string buildXmlCard(const std::string& reply) {
  const std::string cardTemplate = config::readWholeFile(config::CardTemplatePath());
  // Seeded from a fine clock on every card, so cards built within one second still differ.
  std::mt19937 generator(static_cast<std::mt19937::result_type>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  std::uniform_int_distribution<std::size_t> colour(0, kLineColours.size() - 1);
  std::string body;
  for (const std::string& line : text::splitPieces(reply, "\r\n")) {
    if (line.empty()) continue;
    body += kLineColours[colour(generator)];
    body += escapeXmlText(line);
    body += "</summary><hr/>";
  }
  static const std::string contentMarker = text::gbk("[内容]");
  return text::replaceAll(cardTemplate, contentMarker, body);
}

std::string defaultCardTemplate() {
  static const std::string card = text::gbk(
      "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      "<msg flag=\"1\" templateID=\"0\" serviceID=\"33\" action=\"web\" brief=\"您有新的消息\">\r\n"
      "\t<item bg=\"#4a00e0\" layout=\"3\">\r\n"
      "\t\t<button action=\"web\" url=\"mqqwpa://im/chat?chat_type=wpa&amp;uin=10000&amp;version=1&amp;src_type=web\">"
      "★ 朔禾引流机器人 ★</button>\r\n"
      "\t</item>\r\n"
      "\t<item layout=\"5\">\r\n"
      "\t\t<picture cover=\"https://example.com/images-1/[1,36].jpg\"/>\r\n"
      "\t</item>\r\n"
      "\t<item layout=\"0\">[内容]\r\n"
      "\t\t<hr/>\r\n"
      "\t</item>\r\n"
      "\t<item bg=\"#4a00e0\" layout=\"8\">\r\n"
      "\t\t<picture cover=\"https://example.com/images-1/[1,36].jpg\"/>\r\n"
      "\t\t<title>群助手</title>\r\n"
      "\t</item>\r\n"
      "\t<source name=\"群助手\" icon=\"https://example.com/images-1/icon.png\" action=\"web\" appid=\"0\"/>\r\n"
      "</msg>");
  return card;
}

}  // namespace gifting
